#include "modsim/SimulatorOptions.h"

#include <QCommandLineParser>

#include <array>
#include <optional>
#include <utility>

namespace {

constexpr std::array<std::pair<SendReply, QLatin1StringView>, 5> SendReplies{{
    {SendReply::Accept, QLatin1StringView("accept")},
    {SendReply::Refuse, QLatin1StringView("refuse")},
    {SendReply::Garbage, QLatin1StringView("garbage")},
    {SendReply::TwoBytes, QLatin1StringView("two")},
    {SendReply::Silence, QLatin1StringView("silence")},
}};

[[nodiscard]] std::optional<SendReply> sendReplyFromName(const QString &name)
{
    for (const auto &[reply, text] : SendReplies) {
        if (name.compare(text, Qt::CaseInsensitive) == 0)
            return reply;
    }
    return std::nullopt;
}

// A whole number in [low, high]; decimal, or hexadecimal with 0x.
[[nodiscard]] std::optional<int> number(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok, 0);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

bool SimulatorOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Stands in for the IR learning module on a pseudo-terminal. Prints the terminal's path, "
        "logs every frame and what the module does, and runs until SIGINT or SIGTERM."));
    const QCommandLineOption help = parser.addHelpOption();
    const auto option = [](const char *name, const char *description, const char *valueName = nullptr,
                           const QString &defaultValue = QString()) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                                  QString::fromLatin1(valueName), defaultValue);
    };
    const SimulatorSettings defaults;
    const QCommandLineOption link = option("link", "Symbolic link to the terminal, e.g. build/bin/COM1.",
                                           "path");
    const QCommandLineOption eeprom = option(
        "eeprom", "EEPROM image file (262,144 bytes; created erased when missing). Default: in memory.",
        "file");
    const QCommandLineOption id = option("id", "Module ID, 0-15.", "n", QStringLiteral("0"));
    const QCommandLineOption protocol = option(
        "protocol",
        "Key protocol: NEC, NECext, NEC42, NEC42ext, Samsung32, SIRC (or sony), SIRC15, SIRC20, RC5, RC5X, "
        "RC6, JVC, Kaseikyo, Sharp, Denon or RCA, in any case. NEC and NEC42 take the extended form for an "
        "address past their range.",
        "name", irProtocolName(defaults.key.protocol));
    const QCommandLineOption address = option("address", "Key address, in the protocol's range.", "n",
                                              QString::number(defaults.key.address));
    const QCommandLineOption command = option("command", "Key command, in the protocol's range.", "n",
                                              QString::number(defaults.key.command));
    const QCommandLineOption captureDelay = option(
        "capture-delay", "Milliseconds from the LEARN acknowledgement to the capture.", "ms",
        QString::number(defaults.captureDelayMs));
    const QCommandLineOption paced = option("paced",
                                            "Pace bytes at wire time (10 bits per byte at the line's rate).");
    const QCommandLineOption noLearnAck = option("no-learn-ack",
                                                 "Fault: no acknowledgement (and no capture) after LEARN.");
    const QCommandLineOption sendReply = option(
        "send-reply", "Reply to SEND: accept ('A'), refuse ('B'), garbage, two (two bytes) or silence.",
        "reply", QStringLiteral("accept"));
    const QCommandLineOption silentSlot = option(
        "silent-slot", "Fault: fall silent at this slot of a download or upload.", "n");
    const QCommandLineOption halfSlot = option(
        "half-slot", "Fault: with --silent-slot, fall silent after the first half of the slot.");
    const QCommandLineOption captureExtra = option(
        "capture-extra", "Fault: send this many extra bytes after each capture.", "n", QStringLiteral("0"));
    parser.addOptions({link, eeprom, id, protocol, address, command, captureDelay, paced, noLearnAck,
                       sendReply, silentSlot, halfSlot, captureExtra});
    m_helpText = parser.helpText();

    if (!parser.parse(arguments)) {
        m_error = parser.errorText();
        return false;
    }
    m_help = parser.isSet(help);
    if (!parser.positionalArguments().isEmpty()) {
        m_error = QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first());
        return false;
    }

    const auto bad = [this](const QCommandLineOption &option, const QString &value) {
        m_error = QStringLiteral("bad value for --%1: %2").arg(option.names().first(), value);
        return false;
    };
    const auto read = [&](const QCommandLineOption &option, int low, int high, int *target) {
        const std::optional<int> value = number(parser.value(option), low, high);
        if (!value)
            return bad(option, parser.value(option));
        *target = *value;
        return true;
    };

    SimulatorSettings settings;
    int keyAddress = 0;
    int keyCommand = 0;
    if (!read(id, 0, 15, &settings.moduleId) || !read(address, 0, 0xFFFFFFF, &keyAddress)
        || !read(command, 0, 0xFFF, &keyCommand) || !read(captureDelay, 0, 3'600'000, &settings.captureDelayMs)
        || !read(captureExtra, 0, 4096, &settings.faults.captureExtraBytes))
        return false;
    if (parser.isSet(silentSlot) && !read(silentSlot, 0, 511, &settings.faults.silentAtSlot))
        return false;

    const std::optional<IrProtocol> keyProtocol = keyProtocolFromName(parser.value(protocol));
    if (!keyProtocol)
        return bad(protocol, parser.value(protocol));
    const std::optional<SendReply> reply = sendReplyFromName(parser.value(sendReply));
    if (!reply)
        return bad(sendReply, parser.value(sendReply));

    settings.key = {*keyProtocol, quint32(keyAddress), quint32(keyCommand)};
    const QString keyError = settings.key.code().error();
    if (!keyError.isEmpty()) {
        m_error = QStringLiteral("bad key for --address and --command: %1").arg(keyError);
        return false;
    }
    settings.paced = parser.isSet(paced);
    settings.faults.noLearnAck = parser.isSet(noLearnAck);
    settings.faults.sendReply = *reply;
    settings.faults.silentAfterHalfSlot = parser.isSet(halfSlot);
    m_settings = settings;
    m_linkPath = parser.value(link);
    m_eepromPath = parser.value(eeprom);
    return true;
}
