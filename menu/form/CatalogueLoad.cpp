// Loading the disc's catalogue: the catalogue part reads it, the form takes its titles from it.

#include "menu/form/main_f.h"

#include <algorithm>

bool TForm1::LoadCatalogue()
{
    if (auto problem = Catalogue.Load()) {
        ShowError(*problem);
        Terminated = true;
        return false;
    }
    if (!Catalogue.DiscLabel.empty())
        Context.StateIni->WriteString("Main", Context.DiscId, Catalogue.DiscLabel);
    {
        // Readers' contributions and full games are checked at once; demos when their page opens.
        TIniFile::ReadBatch stateBatch(*Context.StateIni);
        for (int32_t n = 1; n <= Catalogue.Readers.Count(); ++n)
            Status.CheckDemo(Catalogue.Readers[n]);
        for (int32_t n = 1; n <= Catalogue.Fulls.Count(); ++n)
            Status.CheckDemo(Catalogue.Fulls[n]);
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
