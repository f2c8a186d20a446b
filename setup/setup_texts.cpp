#include "setup/setup_texts.h"

#include <cctype>

#include "core/settings.h"

Language languageOf(const std::string& localeName) {
    // The language is the name's first part: "cs" of "cs_CZ.UTF-8@euro".
    const std::string::size_type end = localeName.find_first_of("_-.@:");
    std::string language = localeName.substr(0, end);
    for (char& c : language) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return language == "cs" ? Language::Czech : Language::English;
}

namespace {
const SetupTexts kCzech = {
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
    {"bublina", "bubliny", "bublin"},
    ".",
    {"1.", "2.", "3.", "4.", "5.", "6.", "7.", "8.", "9.", "10.", "11.", "12."},
};

const SetupTexts kEnglish = {
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
    {"bubble", "bubbles", "bubbles"},
    "",
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
};
}  // namespace

const SetupTexts& setupTexts(Language language) { return language == Language::Czech ? kCzech : kEnglish; }

std::string resolutionLabel(const SetupTexts& texts, int row, bool fullScreen, bool window) {
    const Resolution size = resolutionTable[row];
    std::string label = std::to_string(size.width) + " × " + std::to_string(size.height);
    if (row == 0) label += texts.defaultRow;
    if (!fullScreen) label += window ? texts.windowOnly : texts.notOffered;
    return label;
}

std::string bubblesText(const SetupTexts& texts, int bubbles) {
    const int form = bubbles == 1 ? 0 : bubbles >= 2 && bubbles <= 4 ? 1 : 2;
    return std::to_string(bubbles) + ' ' + texts.bubbles[form];
}

std::string dayText(const SetupTexts& texts, const std::string& date) {
    if (!isDate(date)) return "";
    const int day = std::stoi(date.substr(8, 2)), month = std::stoi(date.substr(5, 2));
    return std::to_string(day) + texts.dayMark + ' ' + texts.months[month - 1] + ' ' + date.substr(0, 4);
}

std::string bestCatchLine(const SetupTexts& texts, const BestCatch& best) {
    if (!best.kept) return texts.noBest;
    const std::string day = dayText(texts, best.date);
    return texts.best + bubblesText(texts, best.bubbles) + (day.empty() ? "" : " (" + day + ")");
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

RoundEnd roundEndLine(const SetupTexts& texts, int exitCode, const BestCatch& before, const BestCatch& after,
                      const std::string& notSaved, const std::string& notKept) {
    RoundEnd end;
    const std::string failed = gameEndLine(texts, exitCode);
    end.trouble = !failed.empty() || !notSaved.empty() || !notKept.empty();
    const auto add = [&end](const std::string& line) {
        if (!line.empty()) end.line += (end.line.empty() ? "" : "\n") + line;
    };
    add(failed.empty() ? newBestLine(texts, before, after) : failed);
    if (!notSaved.empty()) add(texts.cannotSave + notSaved);
    if (!notKept.empty()) add(texts.notKept + notKept);
    return end;
}
