// The installed page: the model's entries shown in the list.

#include "menu/form/main_f.h"

#include "dib/image/cDIBImage.h"
#include "platform/components/StdCtrls.h"

namespace {

constexpr int32_t InstalledPageText = 33;

}

void TForm1::SetInstalledPage()
{
    Category = CategoryCode::Installed;
    TopIndex = 1;
    ItemIndex = 1;
    if (HasWindowLayout())
        FillList();

    InstalledPage.Fill(Catalogue.InstalledList);

    if (TextLabel)
        TextLabel->SetCaption(Texts.LoadSpecial(InstalledPageText, "2-98"));
    if (DIBImage4)
        DIBImage4->SetVisible(false);
    if (Catalogue.InstalledList.Count() == 0) {
        if (HasWindowLayout())
            ClearList();
    } else {
        RefreshItemViews();
    }
}
