#include "platform/MPfad.h"

#include "platform/MDatei.h"
#include "platform/MRegistrierung.h"

namespace MPfad {

bool PfadVorhanden(const std::string& sPfad) { return MDatei::DateiVorhanden(sPfad); }

std::string ProjektOrdner(const std::string&) {
    // The user's default projects folder, so that searches address a folder that means something.
    const auto wert = MRegistrierung::RegLeseWert(MRegistrierung::HKCU, "Software\\BELMARK GmbH\\Korvant\\4.0",
                                                  "DefaultProjectsPath");
    const auto* text = std::get_if<std::string>(&wert);
    if (!text || text->empty())
        return {};
    std::string ordner = *text;
    if (ordner.size() > 1 && (ordner.back() == '\\' || ordner.back() == '/'))
        ordner.pop_back();
    return PfadVorhanden(ordner) ? ordner : std::string();
}

}  // namespace MPfad
