#pragma once

#include <QtGlobal>

class LearnHost;
class Prompt;
class SerialLink;

// The IR Learn command: for each selected row, the module acknowledges the
// LEARN frame and then returns a capture, which becomes the row's block.
// Executing it again while a run waits is the Stop request.
class LearnRun final
{
    Q_DISABLE_COPY_MOVE(LearnRun)

public:
    struct Parameters
    {
        quint8 moduleId = 0;
        quint8 learnTime = 1;
        quint8 irFormat = 1;
    };

    static constexpr int PauseAfterCaptureMs = 1200;
    static constexpr int AcknowledgeSeconds = 1;

    LearnRun(SerialLink &link, Prompt &prompt, LearnHost &host);

    // Starts a run, or stops the one in progress. A run does not start while
    // another exchange holds the line.
    void learnOrStop(const Parameters &parameters);
    [[nodiscard]] bool isLearning() const { return m_learning; }

private:
    void run(const Parameters &parameters);
    // false when the run has to end.
    [[nodiscard]] bool learnRow(int row, const Parameters &parameters, bool roll);
    // true when a capture was read into the link's receive buffer before a Stop request.
    [[nodiscard]] bool awaitCapture(int size);
    void finish();

    SerialLink &m_link;
    Prompt &m_prompt;
    LearnHost &m_host;
    bool m_learning = false;
};
