#include "menu/form/ItemOpening.h"

#include "menu/form/main_f.h"

bool OpenOnItem(TForm1& form, CategoryCode category, int32_t number)
{
    MenuState& model = form.Model;
    int32_t slot = 0;
    for (int32_t s = 1; s <= model.PageCount() && !slot; ++s)
        if (model.Page(s).Category() == category)
            slot = s;
    if (!slot)
        return false;
    if (model.Category() != category)
        form.MainButtonClick(slot);
    if (model.Category() != category || number < 1 || number > model.Count())
        return false;
    form.ShowChange(model.Home());
    while (model.ItemIndex() < number)
        form.ShowChange(model.StepDown());
    return true;
}

void AskToLeave(TForm1& form)
{
    if (form.Model.Environment().Leave)
        form.Model.Environment().Leave();
    else
        platform::Application().Terminate();
}
