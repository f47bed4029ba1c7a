#pragma once

#include <QObject>
#include <memory>

// The Qt Test classes of the GUI suite; tests/ui/main.cpp runs the one named on the command line.
namespace tolvane::test {

std::unique_ptr<QObject> makeMainWindowTest();
std::unique_ptr<QObject> makeSettingsTest();
std::unique_ptr<QObject> makeOverviewTest();
std::unique_ptr<QObject> makeAppStartTest();
std::unique_ptr<QObject> makePlumbingTest();
std::unique_ptr<QObject> makeScannerTest();
std::unique_ptr<QObject> makeScanResultsTest();
std::unique_ptr<QObject> makeBackupTest();
std::unique_ptr<QObject> makeDefragTest();
std::unique_ptr<QObject> makeReviewTest();
std::unique_ptr<QObject> makePickerTest();
std::unique_ptr<QObject> makeAccessibilityTest();
std::unique_ptr<QObject> makeIgnoreTest();

} // namespace tolvane::test
