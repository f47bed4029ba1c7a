#pragma once

#include <QWidget>
#include <array>

namespace tolvane {

class CHollinDlg;
class SkinPanel;
struct UiContext;

// The page numbers: the Overview's Start buttons, the scan run and the navigation use these.
namespace page {
inline constexpr int overview = 0;
inline constexpr int scanner = 1;
inline constexpr int defrag = 2;
inline constexpr int backup = 3;
inline constexpr int settings = 4;
inline constexpr int empty = 5;
inline constexpr int about = 6;
inline constexpr int scanProgress = 7;
inline constexpr int scanResults = 8;
} // namespace page

// The page container of the main window: nine slots, one page shown at a time. Page switches
// are refused while an operation runs.
class CTabPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int slotCount = 9;

    CTabPanel(UiContext& context, QWidget* parent);

    // Creates every page, hidden, with `owner` as its owner, and shows the Overview.
    void createPages(CHollinDlg& owner);
    // Puts `panel` (now a child of the container) into `slot`; the page wiring uses it, and
    // tests put pages of their own in slots.
    void setPage(int slot, SkinPanel* panel);

    // Shows page `slot`: nothing while `busy` is set, for the page already shown, or for an
    // empty slot. True when the page changed.
    bool switchTo(int slot);
    int current() const { return current_; }
    SkinPanel* page(int slot) const;

Q_SIGNALS:
    void pageChanged(int slot);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutPages();

    UiContext& context_;
    CHollinDlg* owner_ = nullptr;
    std::array<SkinPanel*, slotCount> pages_{};
    int current_ = page::overview;
};

} // namespace tolvane
