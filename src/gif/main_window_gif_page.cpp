// The "Save GIF" page and its handlers.
#include "app/main_window.h"

void TForm1::buildSaveGifPage(QWidget* /*page*/)
{
}
