#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// A command line from the registry read the way Windows reads it: a program path, then its
// arguments. A quoted program is the text between the quotes. An unquoted one may hold blanks,
// so every blank-separated prefix of the text is a candidate, shortest first, as CreateProcess
// tries them, up to the first switch ("/x") or quoted argument. The text is read as written:
// environment references are expanded beforehand.
class CommandLineTarget {
public:
    struct Candidate {
        std::string program;
        // Where the program ends and where its arguments start, in the text given.
        std::size_t end = 0;
        std::size_t argumentsAt = 0;
    };

    explicit CommandLineTarget(std::string_view commandLine);

    bool quoted() const { return quoted_; }
    const std::vector<Candidate>& candidates() const { return candidates_; }
    std::string_view arguments(const Candidate& candidate) const;

    // Whether the file name of `path` is `name`, with or without ".exe", in any case.
    static bool isProgram(std::string_view path, std::string_view name);
    // Whether the file name of `path` has an extension.
    static bool hasExtension(std::string_view path);
    // The library of a rundll32 command: the arguments up to the first comma, unquoted and
    // without surrounding blanks.
    static std::string rundllLibrary(std::string_view arguments);
    // The product code or package that an msiexec install, repair or removal switch (/i, /x,
    // /f..., also with '-', in any case) names; empty when there is none.
    static std::string msiexecTarget(std::string_view arguments);

private:
    std::string text_;
    bool quoted_ = false;
    std::vector<Candidate> candidates_;
};

} // namespace tolvane
