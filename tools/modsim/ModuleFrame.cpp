#include "modsim/ModuleFrame.h"

ModuleFrame::ModuleFrame(FrameKind kind, const QByteArray &bytes)
    : m_kind(kind)
    , m_bytes(bytes)
{
}

QString ModuleFrame::describe() const
{
    const QString name = frameKindName(m_kind);
    switch (m_kind) {
    case FrameKind::Learn:
        return QStringLiteral("%1 id %2 time %3 format %4")
            .arg(name)
            .arg(moduleId())
            .arg(learnTime())
            .arg(irFormat());
    case FrameKind::Send:
        return QStringLiteral("%1 id %2 ports 0x%3")
            .arg(name)
            .arg(moduleId())
            .arg(portMask(), 2, 16, QLatin1Char('0'));
    case FrameKind::Escape:
        return name;
    case FrameKind::Stop:
    case FrameKind::DownloadAll:
    case FrameKind::UploadAll:
        break;
    }
    return QStringLiteral("%1 id %2").arg(name).arg(moduleId());
}

QString frameKindName(FrameKind kind)
{
    switch (kind) {
    case FrameKind::Learn:
        return QStringLiteral("LEARN");
    case FrameKind::Escape:
        return QStringLiteral("ESC");
    case FrameKind::Send:
        return QStringLiteral("SEND");
    case FrameKind::Stop:
        return QStringLiteral("STOP");
    case FrameKind::DownloadAll:
        return QStringLiteral("DOWNLOADALL");
    case FrameKind::UploadAll:
        break;
    }
    return QStringLiteral("UPLOADALL");
}
