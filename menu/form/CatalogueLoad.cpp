// Loading the disc's catalogue: the catalogue part reads it, the form takes its titles from it.

#include "menu/form/main_f.h"

#include <algorithm>

bool TForm1::LoadCatalogue()
{
    if (auto problem = Catalogue.Load([this](TDemos& item) { Status.CheckDemo(item); })) {
        ShowError(*problem);
        Terminated = true;
        return false;
    }
    const std::string& discId = Context.DiscId;
    WindowCaption = "Torva DVD " + discId.substr(0, std::min<size_t>(2, discId.size())) + "-20"
        + (discId.size() > 2 ? discId.substr(2, 2) : std::string());
    ApplicationTitle = WindowCaption;
    CDNumberText = discId.substr(0, std::min<size_t>(4, discId.size()));
    if (Catalogue.DebugMode)
        ApplicationTitle += " - DEBUG MODE";

    CatalogueLoaded();
    return true;
}
