#include "app/application.h"
#include "app/main_window.h"
#include "platform/browser_environment.h"
#include "record/recorder_window.h"

int main(int argc, char** argv)
{
    // The browser's environment and URL scheme must be in place before the application exists.
    PrepareBrowserEnvironment();
    DeckrecApplication app(argc, argv);
    TForm1 form1;
    TForm2 form2(&form1);
    form1.setRecorder(&form2);
    form1.show();
    return app.exec();
}
