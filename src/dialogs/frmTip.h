#pragma once
// The tip of the day. The program starts through this window: its Form_Load brings up the
// main window, disabled, and then shows a random tip from TIPOFDAY.TXT, or unloads itself at
// once when the user asked for no tips at start-up.

#include "dialogs/DialogWindow.h"

#include <QStringList>

#include <cstdint>
#include <functional>
#include <random>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

namespace kadrel {

inline const QString kTipsSection = QStringLiteral("Options");
inline const QString kTipsKey = QStringLiteral("Show Tips at Startup");
inline const QString kTipFileName = QStringLiteral("TIPOFDAY.TXT");
inline const QString kMissingTipsText = QStringLiteral(
    "Could not find the file TIPOFDAY.txt. The file may be deleted or removed. Try to "
    "reinstall the program...");

// Seed for the tips' random numbers, from the wall clock.
std::uint32_t systemTimerSeed();

// What the tip window takes from the program.
struct TipSetup {
    // Creates the main window on first use (running its Form_Load) and returns it.
    std::function<QWidget*()> loadMainWindow;
    SettingsStore& settings;
    ScreenMetrics& screen;
    // The folder that holds TIPOFDAY.TXT; the program's own folder by default.
    QString programFolder = {};
    std::function<std::uint32_t()> timerSeed = systemTimerSeed;
};

// The stored "Show Tips at Startup" value as a number: 1 when missing or not a whole number.
int showTipsAtStartup(const SettingsStore& settings);

// The 1-based tip index for a random r, 0 <= r < 1, among count tips.
int tipIndexFor(float r, int count);

class frmTip final : public DialogWindow {
    Q_OBJECT

public:
    // Creates the window and runs its Form_Load; null when it unloaded itself at once.
    static frmTip* load(const TipSetup& setup);

    // Appends the tips of a file and shows a random one; false for an empty path and for a
    // file that is missing or cannot be read.
    bool LoadTips(const QString& path);
    void DisplayCurrentTip();

    const QStringList& tipList() const { return m_tipList; }
    int currentTip() const { return m_currentTip; }

    QFrame* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblTipText = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdNextTip = nullptr;
    QCheckBox* chkLoadTipsAtStartup = nullptr;

protected:
    void reject() override;

private:
    explicit frmTip(const TipSetup& setup);
    void buildLayout();
    bool Form_Load();
    void ShowRandomTip();
    float randomSingle();
    void cmdOK_Click();
    void cmdNextTip_Click();
    void chkLoadTipsAtStartup_Click(bool checked);

    std::function<QWidget*()> m_loadMainWindow;
    SettingsStore& m_settings;
    QString m_programFolder;
    std::function<std::uint32_t()> m_timerSeed;
    std::mt19937 m_random;
    QStringList m_tipList;
    int m_currentTip = 0;
};

// Start-up: loads the tip window, which brings up the main window; returns the tip window on
// show, or null when tips are off and only the main window is up.
frmTip* startThroughTip(const TipSetup& setup);

// The Help menu's "Tip of The Day": the main window disabled, tips at start-up switched back
// on, then the tip window loaded and shown.
frmTip* openTipOfTheDay(QWidget* mainWindow, const TipSetup& setup);

}  // namespace kadrel
