#include "documents/notes.h"

#include <array>
#include <string_view>

#include "documents/windows1252.h"
#include "driver/platform.h"
#include "model/file_names.h"

namespace compactor {
namespace {

// The briefing as UTF-8 text, nine lines of prose, an empty line and the
// signature. The file holds it in Windows-1252, one byte per character; the
// only letters outside ASCII are "è", "à" and "ù", and no line passes 97
// characters.
constexpr std::array<std::u8string_view, 12> kNotes = {
    u8"Simulazione del tratto Lavena - Codrano Centrale del ES 2718 Milano - Taranto.",
    u8"La linea è attrezzata con la ripetizione dei segnali a 4 codici: la velocità massima del",
    u8"treno è quindi di 180 km/h, con una percentuale di massa frenata del 135%.",
    u8"La partenza da Lavena avverrà con 10 minuti di ritardo: un altro treno partirà prima di voi",
    u8"e vi costringerà a diversi rallentamenti, fino a quando non sarà possibile superarlo.",
    u8"Altri rallentamenti vi attendono nei pressi di Pineto, dove un treno guasto occupa il",
    u8"binario 2: l'itinerario sarà deviato sul binario 1.",
    u8"Cercate di recuperare più tempo possibile, ma senza strapazzare viaggiatori e locomotiva.",
    u8"Buon viaggio e buon divertimento!",
    u8"",
    u8"                                                  Il gruppo scenari",
    u8"                                                  (scenari@example.org)",
};

}  // namespace

const RowTable& notes_rows() {
  static const RowTable rows = [] {
    RowTable r;
    for (std::u8string_view line : kNotes) r.push_back(to_windows1252(line));
    r.emplace_back(kEndMarker);
    return r;
  }();
  return rows;
}

void dati_note(const std::string& dir, const Names& names) {
  write_rows(platform::join(dir, file_names::notes(names)), notes_rows());
}

}  // namespace compactor
