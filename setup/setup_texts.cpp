#include "setup/setup_texts.h"

#include <cctype>
#include <cstring>

#include "core/player_name.h"
#include "core/settings.h"

namespace {
int englishCountForm(int count) { return count == 1 ? 0 : 1; }

// 1 bublina, 2 až 4 bubliny, 0 a 5 a více bublin.
int czechCountForm(int count) { return count == 1 ? 0 : count >= 2 && count <= 4 ? 1 : 2; }

// The reasons our programs give: the kept files' steps (core/saved_file.cpp,
// the places' locks), the recording's reader (core/recording.cpp), the
// setup's own search for the game, and the systems' own words for what
// failed (glibc's strerror, Windows' messages, GLib's spawn). A reason's
// path stays as it is.
const Phrase kCzechReasons[] = {
    {" is read-only", " je jen pro čtení", false},
    {"cannot write ", "nelze zapsat ", false},
    {"cannot flush ", "nelze zapsat na disk ", false},
    {" to the disk", "", false},
    {"cannot create ", "nelze vytvořit ", false},
    {"cannot replace ", "nelze nahradit ", false},
    {"cannot lock ", "nelze zamknout ", false},
    {"another program holds it", "drží ji jiný program", false},
    {"not a Korvada recording", "není to záznam kola hry Korvada", true},
    {"damaged: ", "záznam je poškozený", true},
    {"a recording of version ", "záznam jiné verze, než jakou tato hra přehrává", true},
    {": no such file", ": soubor neexistuje", true},
    {": larger than any recording", ": soubor je větší než jakýkoli záznam", true},
    {"no round with ", "žádné kolo s tolika lahvemi není uloženo", true},
    {"cannot read ", "nelze přečíst ", false},
    {"cannot find the game's data: ", "chybí data hry: ", false},
    {"no folder of ", "žádná ze složek ", false},
    {" holds all its pictures and sounds", " nemá všechny její obrázky a zvuky", false},
    {"cannot find the game: ", "chybí hra: ", false},
    {" is missing or not executable", " chybí, nebo ho nelze spustit", false},
    {"cannot tell where korvada-setup is", "nelze zjistit, kde je korvada-setup", false},
    {"cannot tell where the programs are", "nelze zjistit, kde jsou programy hry", false},
    {"Failed to execute child process ", "nelze spustit proces ", false},
    {"No space left on device", "na disku není místo", false},
    {"Read-only file system", "systém souborů je jen pro čtení", false},
    {"Permission denied", "přístup odepřen", false},
    {"Operation not permitted", "operace není povolena", false},
    {"Disk quota exceeded", "překročena kvóta disku", false},
    {"Input/output error", "chyba vstupu či výstupu", false},
    {"No such file or directory", "soubor ani složka neexistuje", false},
    {"Not a directory", "není to složka", false},
    {"Is a directory", "je to složka", false},
    {"File exists", "soubor už existuje", false},
    {"File too large", "soubor je příliš velký", false},
    {"Too many open files", "příliš mnoho otevřených souborů", false},
    {"File name too long", "název souboru je příliš dlouhý", false},
    {"Too many levels of symbolic links", "příliš mnoho symbolických odkazů", false},
    {"Device or resource busy", "zařízení je zaneprázdněné", false},
    {"Exec format error", "neznámý formát programu", false},
    {"There is not enough space on the disk", "na disku není místo", false},
    {"Access is denied", "přístup odepřen", false},
    {"The process cannot access the file because it is being used by another process", "soubor používá jiný proces",
     false},
    {"The system cannot find the path specified", "cesta neexistuje", false},
    {"The system cannot find the file specified", "soubor neexistuje", false},
    {"The media is write protected", "médium je chráněno proti zápisu", false},
    // The player's name (core/player_name.cpp).
    {"a name has at most ", "jméno má nejvýš 20 znaků", true},
    {"a name is UTF-8 text", "jméno musí být text v UTF-8", false},
    {"a name does not begin with a space", "jméno nesmí začínat mezerou", false},
    {"a name does not end with a space", "jméno nesmí končit mezerou", false},
    {"a name has no two spaces in a row", "jméno nesmí mít dvě mezery za sebou", false},
    {"a mark in a name follows a letter", "diakritické znaménko ve jménu musí následovat písmeno", false},
    {"a name holds letters, digits, spaces, '-' and '_' only",
     "jméno smí obsahovat jen písmena, číslice, mezery, „-“ a „_“", false},
    {nullptr, nullptr, false},
};
}  // namespace

const Language kLanguages[] = {
    {"en",
     {
         "Korvada – settings",
         "_Resolution:",
         " (default)",
         " – this screen does not offer it",
         " – in a window only",
         "This screen offers none of the game's resolutions.",
         "Colour _depth:",
         "_16 bits",
         "_32 bits",
         "B_lending (translucent bottles)",
         "_Bottles:",
         "_Sound",
         "_Full screen",
         "_Play",
         "_Watch best",
         "_Close",
         "Arrow keys, or d-pad or left stick: steer\n"
         "1–6, or LB / RB: camera\n"
         "Esc, or B / Back: end the round\n"
         "P or Pause, or Start: pause; M: sound off and on\n"
         "F12: save a picture; Alt+Enter or F11: full screen or a window\n"
         "Space or Enter, or A / Start: leave the end screen",
         "version ",
         "The settings cannot be saved: ",
         "The game cannot be started: ",
         "The game did not take its settings (exit code 1).",
         "The game could not start, or the screen refused its resolution (exit code 2).",
         "The game failed with exit code ",
         "Best: ",
         "Best: none kept yet",
         "New best: ",
         "The best catches cannot be kept: ",
         "The best round cannot be played back: ",
         englishCountForm,
         {"bubble", "bubbles", ""},
         "",
         {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
         nullptr,
         "The ten best",
         "Watch",
         "No round with this many bottles yet.",
         "—",
         "_Name:",
         "The name cannot be used: ",
         "_Today's round",
         "Today: ",
         "Today: not played yet",
         "Sa_ve round…",
         "The round is saved: ",
         "The round cannot be saved: ",
     },
     {
         "Loading…",
         "Preparing the landscape… {percent}\u00a0%",
         "The landscape cannot be kept in this browser ({reason}): it is prepared again on every visit.",
         "not enough space",
         "the browser keeps nothing for this page",
         "The game could not be loaded",
         "This browser has no WebGL",
         "The picture is lost",
         "The browser stopped drawing the game (its WebGL context was lost). The game starts again from the "
         "settings.",
         "Back to the settings",
         "Touch: arrows at the bottom left, camera, end and pause at the right; tap to close the end screen.",
         "Camera",
         "End",
         "Pause",
         "Continue",
         "Turn the phone sideways",
     },
     {"Picture saved", "Picture not saved", "Sound off", "Sound on", "P: continue", "New best!",
      "{}'s round"},
     {"Korvada: today's round", "Player", "Bubbles", "When (UTC)", "Watch", "Nobody has played this day yet.",
      "← Previous day", "Next day →", "Today", "Play", "A round by", "Download the recording", "The day's board",
      "Nothing here."},
     {
         "Bo_ard:",
         "address, e.g. http://192.168.1.5:8080 (empty: off)",
         "The board's address cannot be used: {}",
         "Today on the board ({})",
         "Nobody has sent today's round yet.",
         "The board cannot be shown: {}",
         "Watch",
         "Asking the board for a ticket…",
         "The board gave no ticket ({}): the round plays, but cannot go to the board.",
         "Sent to the board: {}.",
         " (and {} more)",
         "The board refused the round: {}",
         "The board refused the round kept back since {}: it takes a round only when it comes right after it is played.",
         "The board refused the round: your name belongs to another player there. Choose another.",
         "The board does not answer ({}): the round waits and goes with the next start.",
         "Rounds removed unsent (too many waiting, or damaged): {}.",
         "Downloading the round…",
         "The round cannot be watched: {}",
     }},
    {"cs",
     {
         "Korvada – nastavení",
         "_Rozlišení:",
         " (výchozí)",
         " – obrazovka ho nenabízí",
         " – jen v okně",
         "Tato obrazovka nenabízí žádné z rozlišení hry.",
         "_Barevná hloubka:",
         "_16 bitů",
         "_32 bitů",
         "_Průhlednost (blending)",
         "Počet _lahví:",
         "_Zvuk",
         "Na celou _obrazovku",
         "_Hrát",
         "Přehrát _nejlepší",
         "Za_vřít",
         "Šipky, nebo d-pad či levá páčka: řízení\n"
         "1–6, nebo LB / RB: kamera\n"
         "Esc, nebo B / Back: konec kola\n"
         "P či Pause, nebo Start: pauza; M: zvuk vypnout a zapnout\n"
         "F12: uložit obrázek; Alt+Enter či F11: celá obrazovka, nebo okno\n"
         "Mezerník či Enter, nebo A / Start: zavřít výsledek",
         "verze ",
         "Nastavení nelze uložit: ",
         "Hru nelze spustit: ",
         "Hra nepřijala nastavení (kód 1).",
         "Hra se nespustila, nebo obrazovka odmítla její rozlišení (kód 2).",
         "Hra skončila chybou, kód ",
         "Nejlepší: ",
         "Nejlepší: zatím žádný záznam",
         "Nový rekord: ",
         "Rekordy nelze uložit: ",
         "Nejlepší kolo nelze přehrát: ",
         czechCountForm,
         {"bublina", "bubliny", "bublin"},
         ".",
         {"1.", "2.", "3.", "4.", "5.", "6.", "7.", "8.", "9.", "10.", "11.", "12."},
         kCzechReasons,
         "Deset nejlepších",
         "Přehrát",
         "Zatím žádné kolo s tolika lahvemi.",
         "—",
         "_Jméno:",
         "Jméno nelze použít: ",
         "_Dnešní kolo",
         "Dnes: ",
         "Dnes: zatím nehráno",
         "_Uložit kolo…",
         "Kolo je uloženo: ",
         "Kolo nelze uložit: ",
     },
     {
         "Načítání…",
         "Připravuji krajinu… {percent}\u00a0%",
         "Krajinu nelze v prohlížeči uložit ({reason}), připraví se znovu při každé návštěvě.",
         "málo místa",
         "prohlížeč stránce nic neuloží",
         "Hru se nepodařilo načíst",
         "Prohlížeč neumí WebGL",
         "Obraz se ztratil",
         "Prohlížeč přestal hře kreslit obraz (ztratil kontext WebGL). Hra začne znovu od nastavení.",
         "Zpět k nastavení",
         "Dotykem: šipky vlevo dole, kamera, konec a pauza vpravo; klepnutím zavřete konec hry.",
         "Kamera",
         "Konec",
         "Pauza",
         "Pokračovat",
         "Otočte telefon na šířku",
     },
     {"Obrázek uložen", "Obrázek nelze uložit", "Zvuk vypnut", "Zvuk zapnut", "P: pokračovat", "Nový rekord!",
      "kolo hráče {}"},
     {"Korvada: dnešní kolo", "Hráč", "Bubliny", "Kdy (UTC)", "Přehrát", "Tento den zatím nikdo nehrál.",
      "← Předchozí den", "Další den →", "Dnes", "Hrát", "Kolo hráče", "Stáhnout záznam", "Tabulka dne",
      "Tady nic není."},
     {
         "_Tabulka výsledků:",
         "adresa, např. http://192.168.1.5:8080 (prázdné: vypnuto)",
         "Adresu tabulky nelze použít: {}",
         "Dnes v tabulce ({})",
         "Dnešní kolo zatím nikdo neposlal.",
         "Tabulku nelze ukázat: {}",
         "Přehrát",
         "Žádám tabulku o lístek…",
         "Tabulka nedala lístek ({}): kolo se hraje, ale do tabulky nepůjde.",
         "Odesláno do tabulky: {}.",
         " (a {} další)",
         "Tabulka kolo odmítla: {}",
         "Tabulka odmítla kolo, které čekalo od {}: bere jen kolo poslané hned po dohrání.",
         "Tabulka kolo odmítla: vaše jméno tam patří jinému hráči. Zvolte jiné.",
         "Tabulka neodpovídá ({}): kolo počká a odejde při příštím spuštění.",
         "Smazaná neodeslaná kola (příliš mnoho čekajících nebo poškozená): {}.",
         "Stahuji kolo…",
         "Kolo nelze přehrát: {}",
     }},
};
const int kLanguageCount = sizeof kLanguages / sizeof kLanguages[0];

const Language* languageCoded(const std::string& code) {
    std::string lower = code;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int i = 0; i < kLanguageCount; ++i)
        if (lower == kLanguages[i].code) return &kLanguages[i];
    return nullptr;
}

const Language& languageOf(const std::string& localeName) {
    // The language is the name's first part: "cs" of "cs_CZ.UTF-8@euro".
    const Language* language = languageCoded(localeName.substr(0, localeName.find_first_of("_-.@:")));
    return language != nullptr ? *language : kLanguages[0];
}

std::string resolutionLabel(const SetupTexts& texts, int row, bool fullScreen, bool window) {
    const Resolution size = resolutionTable[row];
    std::string label = std::to_string(size.width) + " × " + std::to_string(size.height);
    if (row == 0) label += texts.defaultRow;
    if (!fullScreen) label += window ? texts.windowOnly : texts.notOffered;
    return label;
}

std::string bubblesText(const SetupTexts& texts, int bubbles) {
    return std::to_string(bubbles) + ' ' + texts.bubbles[texts.countForm(bubbles)];
}

std::string dayText(const SetupTexts& texts, const std::string& date) {
    if (!isDate(date)) return "";
    const int day = std::stoi(date.substr(8, 2)), month = std::stoi(date.substr(5, 2));
    return std::to_string(day) + texts.dayMark + ' ' + texts.months[month - 1] + ' ' + date.substr(0, 4);
}

std::string watchedRoundTitle(const Language& language, const std::string& name, const std::string& date,
                              int bubbles) {
    std::string title = "Korvada – ";
    if (!name.empty()) {
        const std::string whose = language.notices.roundOf;
        const std::string::size_type at = whose.find("{}");
        title += whose.substr(0, at) + name + whose.substr(at + 2) + ", ";
    }
    const std::string day = dayText(language.setup, date);
    if (!day.empty()) title += day + ", ";
    return title + bubblesText(language.setup, bubbles);
}

std::string bestCatchLine(const SetupTexts& texts, const BestCatch& best) {
    if (!best.kept) return texts.noBest;
    const std::string day = dayText(texts, best.date);
    return texts.best + bubblesText(texts, best.bubbles) + (day.empty() ? "" : " (" + day + ")");
}

std::string todayLine(const SetupTexts& texts, const BestCatch& dayBest) {
    return dayBest.kept ? texts.today + bubblesText(texts, dayBest.bubbles) : texts.noToday;
}

std::string nameRefusal(const SetupTexts& texts, const std::string& name) {
    std::string why;
    if (name.empty() || checkPlayerName(name, &why)) return "";
    return texts.badName + reasonIn(texts, why);
}

BestTenRow bestTenRow(const SetupTexts& texts, const BestCatch& row, int place) {
    return {std::to_string(place + 1) + '.', bubblesText(texts, row.bubbles), dayText(texts, row.date),
            row.name.empty() ? texts.noName : row.name};
}

std::string newBestLine(const SetupTexts& texts, const BestCatch& before, const BestCatch& after) {
    const bool higher = after.kept && after.bubbles > 0 && (!before.kept || after.bubbles > before.bubbles);
    return higher ? texts.newBest + bubblesText(texts, after.bubbles) + '!' : "";
}

std::string gameEndLine(const SetupTexts& texts, int exitCode) {
    switch (exitCode) {
    case 0:
        return "";
    case 1:
        return texts.refusedCode;
    case 2:
        return texts.notStarted;
    default:
        return texts.endedWith + std::to_string(exitCode) + ".";
    }
}

std::string reasonIn(const SetupTexts& texts, const std::string& reason) {
    std::string said = reason;
    for (const Phrase* phrase = texts.reasons; phrase != nullptr && phrase->english != nullptr; ++phrase) {
        const std::size_t length = std::strlen(phrase->english);
        for (std::size_t at = said.find(phrase->english); at != std::string::npos;
             at = said.find(phrase->english, at + std::strlen(phrase->said))) {
            said.replace(at, phrase->ends ? std::string::npos : length, phrase->said);
            if (phrase->ends) break;
        }
    }
    return said;
}

RoundEnd roundEndLine(const SetupTexts& texts, int exitCode, const BestCatch& before, const BestCatch& after,
                      const std::string& notSaved, const std::string& notKept) {
    RoundEnd end;
    const std::string failed = gameEndLine(texts, exitCode);
    end.trouble = !failed.empty() || !notSaved.empty() || !notKept.empty();
    const auto add = [&end](const std::string& line) {
        if (!line.empty()) end.line += (end.line.empty() ? "" : "\n") + line;
    };
    add(failed.empty() ? newBestLine(texts, before, after) : failed);
    if (!notSaved.empty()) add(texts.cannotSave + reasonIn(texts, notSaved));
    if (!notKept.empty()) add(texts.notKept + reasonIn(texts, notKept));
    return end;
}
