// Runs one Qt Test class of the GUI suite: tolvane_ui_tests SUITE [Qt Test options].
#include "tests/ui/UiSuites.h"

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::map<std::string, std::function<std::unique_ptr<QObject>()>> suites{
        {"MainWindowTest", tolvane::test::makeMainWindowTest},
        {"SettingsTest", tolvane::test::makeSettingsTest},
        {"OverviewTest", tolvane::test::makeOverviewTest},
        {"AppStartTest", tolvane::test::makeAppStartTest},
        {"PlumbingTest", tolvane::test::makePlumbingTest},
        {"ScannerTest", tolvane::test::makeScannerTest},
        {"ScanResultsTest", tolvane::test::makeScanResultsTest},
        {"BackupTest", tolvane::test::makeBackupTest},
        {"DefragTest", tolvane::test::makeDefragTest},
        {"ReviewTest", tolvane::test::makeReviewTest},
        {"PickerTest", tolvane::test::makePickerTest},
        {"AccessibilityTest", tolvane::test::makeAccessibilityTest},
        {"IgnoreTest", tolvane::test::makeIgnoreTest},
    };
    QApplication application(argc, argv);
    std::vector<std::string> chosen;
    std::vector<char*> qtArguments{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (suites.count(argv[i]) != 0) {
            chosen.emplace_back(argv[i]);
        } else {
            qtArguments.push_back(argv[i]);
        }
    }
    if (chosen.empty()) {
        for (const auto& [name, make] : suites) {
            chosen.push_back(name);
        }
    }
    int failures = 0;
    for (const auto& name : chosen) {
        auto suite = suites.at(name)();
        failures +=
            QTest::qExec(suite.get(), static_cast<int>(qtArguments.size()), qtArguments.data());
    }
    return failures == 0 ? 0 : 1;
}
