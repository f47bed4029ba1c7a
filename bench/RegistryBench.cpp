// Load and save figures of the prefix registry engine on a large system.reg.
//
//   cmake --build build --target registry-bench      (generates the file on first use)
//   build/bench/tolvane-registry-bench FILE.reg
//
// Prints the time of a plain read of the file (the baseline of this run), the load time, the
// save time (serialising, then the atomic write with fsync and rename) and the peak memory of
// the process as a multiple of the file size.
#include "bench/BenchTiming.h"
#include "platform/prefix/AtomicFileWriter.h"
#include "platform/prefix/WineRegFileReader.h"
#include "platform/prefix/WineRegFileWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using tolvane::bench::fastest;
using tolvane::bench::secondsSince;
using tolvane::bench::Timing;
using Clock = tolvane::bench::Steady;

// Peak resident memory of this process in bytes (VmHWM).
std::size_t peakMemory() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stoull(line.substr(6)) * 1024;
        }
    }
    return 0;
}

// Reads the file in chunks: the time the page cache needs to hand it over.
double plainRead(const std::filesystem::path& file) {
    const auto start = Clock::now();
    std::ifstream in(file, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
    }
    return secondsSince(start);
}

bool sameFiles(const std::filesystem::path& left, const std::filesystem::path& right) {
    std::ifstream a(left, std::ios::binary);
    std::ifstream b(right, std::ios::binary);
    std::vector<char> chunkA(1 << 20);
    std::vector<char> chunkB(1 << 20);
    for (;;) {
        a.read(chunkA.data(), static_cast<std::streamsize>(chunkA.size()));
        b.read(chunkB.data(), static_cast<std::streamsize>(chunkB.size()));
        if (a.gcount() != b.gcount()) {
            return false;
        }
        if (a.gcount() == 0) {
            return true;
        }
        if (!std::equal(chunkA.begin(), chunkA.begin() + a.gcount(), chunkB.begin())) {
            return false;
        }
    }
}

double megabytes(std::size_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tolvane::prefix;
    if (argc != 2) {
        std::cerr << "usage: tolvane-registry-bench FILE.reg\n";
        return 2;
    }
    const std::filesystem::path file = argv[1];
    const std::filesystem::path saved = file.string() + ".saved";
    const std::size_t size = std::filesystem::file_size(file);

    constexpr int runs = 3;
    plainRead(file); // warm the page cache, so every figure below reads from memory
    const Timing baseline = fastest(runs, [&] { plainRead(file); });

    // Each timed load builds a tree and frees it; the tree kept afterwards is loaded last, so
    // the peak memory below is that of one registry in memory.
    const Timing load = fastest(runs, [&] {
        RegistryTree timed;
        (void)WineRegFileReader::load(timed, RegistryTree::machineBranch, file);
    });
    RegistryTree tree;
    auto header = WineRegFileReader::load(tree, RegistryTree::machineBranch, file);
    if (!header) {
        std::cerr << header.message() << "\n";
        return 1;
    }
    const std::size_t peakAfterLoad = peakMemory();

    std::size_t keys = 0;
    std::size_t values = 0;
    std::vector<const RegNode*> pending{tree.branchRoot(RegistryTree::machineBranch)};
    while (!pending.empty()) {
        const RegNode* node = pending.back();
        pending.pop_back();
        ++keys;
        values += node->valueCount;
        pending.insert(pending.end(), node->children, node->children + node->childCount);
    }

    // Saving streams the text into the temporary file piece by piece.
    bool savedOk = true;
    const Timing save = fastest(runs, [&] {
        const auto produce = [&](const auto& emit) {
            WineRegFileWriter::write(tree, RegistryTree::machineBranch, header->preamble, {}, emit);
        };
        if (auto written = AtomicFileWriter().write(saved, produce); !written) {
            std::cerr << written.message() << "\n";
            savedOk = false;
        }
    });
    const std::size_t peakAfterSave = peakMemory();

    const auto serialiseOnly = [&](bool reencode, std::size_t& length) {
        return fastest(runs, [&] {
            length = 0;
            WineRegFileWriter::write(tree, RegistryTree::machineBranch, header->preamble,
                                     {reencode, 0},
                                     [&](std::string_view piece) { length += piece.size(); });
        });
    };
    std::size_t serialisedSize = 0;
    std::size_t reencodedSize = 0;
    const Timing serialise = serialiseOnly(false, serialisedSize);
    const Timing reencode = serialiseOnly(true, reencodedSize);
    const bool identical = savedOk && sameFiles(file, saved);
    std::filesystem::remove(saved);

    std::printf("file                          %s\n", file.c_str());
    std::printf("size                          %.1f MB, %zu keys, %zu values\n", megabytes(size),
                keys - 1, values);
    std::printf("fastest of %d runs             wall       processor\n", runs);
    const auto row = [](const char* what, const Timing& timing, const char* target) {
        std::printf("%-29s %.3f s    %.3f s   %s\n", what, timing.wall, timing.processor, target);
    };
    row("baseline: plain read", baseline, "");
    row("load", load, "(target < 1.0 s)");
    row("save (write, fsync, rename)", save, "(target < 0.7 s)");
    row("  serialising alone", serialise, "");
    row("serialising every value anew", reencode,
        reencodedSize == serialisedSize ? "(same size)" : "(SIZE DIFFERS)");
    std::printf("saved file identical          %s\n", identical ? "yes" : "NO");
    std::printf("peak memory after load        %.1f MB = %.2f x file size\n",
                megabytes(peakAfterLoad), static_cast<double>(peakAfterLoad) / size);
    std::printf("peak memory after save        %.1f MB = %.2f x file size   (target < 4)\n",
                megabytes(peakAfterSave), static_cast<double>(peakAfterSave) / size);
    return identical ? 0 : 1;
}
