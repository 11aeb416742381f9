#include "app/application.h"
#include "app/main_window.h"
#include "record/recorder_window.h"

int main(int argc, char** argv)
{
    DeckrecApplication app(argc, argv);
    TForm1 form1;
    TForm2 form2(&form1);
    form1.setRecorder(&form2);
    form1.show();
    return app.exec();
}
