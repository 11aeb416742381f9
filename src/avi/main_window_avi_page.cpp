// The "Save AVI" page and its handlers.
#include "app/main_window.h"

void TForm1::buildSaveAviPage(QWidget* /*page*/)
{
}

void TForm1::FillEncoderList()
{
}
