#include "app/PlaceholderMainWindow.h"

#include "platform/gui/Forms.h"

int RunPlaceholderMainWindow(const AnsiString& title) {
    Application->Initialize();
    Application->SetTitle(title);
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption(title);
    form->SetBounds(100, 100, 800, 600);
    Application->Run();
    DoneApplication();
    return 0;
}
