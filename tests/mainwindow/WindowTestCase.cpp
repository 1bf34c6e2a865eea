#include "WindowTestCase.h"

bool WindowTestCase::openFolderAndModule(int captureDelayMs)
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompt.clear();
    m_module = std::make_unique<ModuleSimulator>();
    SimulatorSettings settings = m_module->settings();
    settings.captureDelayMs = captureDelayMs;
    m_module->setSettings(settings);
    return m_module->open(m_dir->filePath(QStringLiteral("COM1")));
}

void WindowTestCase::startWindow()
{
    m_window = std::make_unique<MainWindow>(m_prompt, m_dir->path());
    m_window->start();
    m_window->show();
}

void WindowTestCase::closeAll()
{
    m_window.reset();
    m_module.reset();
    m_dir.reset();
}
