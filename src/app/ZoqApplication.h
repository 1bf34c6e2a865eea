#pragma once

#include <QApplication>

#include <functional>

class Prompt;

// The application object. Its error handler shows the text of an error that
// escapes an event handler in a message box, and the program goes on.
class ZoqApplication final : public QApplication
{
    Q_OBJECT

public:
    ZoqApplication(int &argc, char **argv);

    void setPrompt(Prompt *prompt) { m_prompt = prompt; }
    bool notify(QObject *receiver, QEvent *event) override;
    // Runs work under the same error handler.
    void guard(const std::function<void()> &work);

private:
    Prompt *m_prompt = nullptr;
};
