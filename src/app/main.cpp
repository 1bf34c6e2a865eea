#include "app/DialogPrompt.h"
#include "app/TForm1.h"
#include "app/ZoqApplication.h"

int main(int argc, char *argv[])
{
    ZoqApplication app(argc, argv);
    DialogPrompt prompt;
    app.setPrompt(&prompt);
    TForm1 form(prompt, QCoreApplication::applicationDirPath());
    prompt.setOwner(&form);
    form.show();
    app.guard([&] { form.FormCreate(); });
    return app.exec();
}
