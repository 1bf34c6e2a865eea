// ZOQ.ini and ZOQ-names.ini as the INI reader takes them. Settings read from
// any text are written and read back unchanged.

#include "FuzzSupport.h"

#include "core/settings/IniFile.h"
#include "core/settings/SettingsFile.h"
#include "core/signal/NameEncoding.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::startApplication(argc, argv, false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const IniFile ini = IniFile::fromText(FuzzSupport::bytes(data, size));
    const SettingsFile::Settings settings = SettingsFile::settingsFrom(ini);
    if (SettingsFile::settingsFrom(IniFile::fromText(SettingsFile::settingsText(settings))) != settings)
        FuzzSupport::finding("settings do not read back as written");
    (void)NameEncoding::fromLabel(ini.readString(QStringLiteral("NAMES"), QStringLiteral("ENCODING"), QString()));
    return 0;
}
