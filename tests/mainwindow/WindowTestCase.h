#pragma once

#include "gui/mainwindow/MainWindow.h"
#include "modsim/ModuleSimulator.h"
#include "support/ScriptedPrompt.h"

#include <QObject>
#include <QTemporaryDir>

#include <memory>

// What the main window's tests share: a temporary program folder with the
// module simulator on its COM1 link, a scripted prompt, and the window
// started in that folder.
class WindowTestCase : public QObject
{
    Q_OBJECT

protected:
    // A new folder and module (a key is captured after captureDelayMs);
    // false when the module's link could not be made.
    [[nodiscard]] bool openFolderAndModule(int captureDelayMs = 50);
    // The window of the folder, started and shown.
    void startWindow();
    // The window first, then the module, then the folder.
    void closeAll();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModuleSimulator> m_module;
    ScriptedPrompt m_prompt;
    std::unique_ptr<MainWindow> m_window;
};
