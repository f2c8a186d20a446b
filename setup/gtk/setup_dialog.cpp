// The settings dialog: one window, its controls in a grid, Play as the
// default button (Enter) and Close on Esc. Every control is reachable by Tab,
// the radio groups by the arrow keys, and each label by its mnemonic; a pad's
// A plays, B closes, the d-pad changes the bottles and the resolution; Watch
// best plays the best round kept for the bottles chosen back. It stays until
// Close: each round hides it, and its end brings it back.

#include <gtk/gtk.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

#include "core/daily_round.h"
#include "core/player_name.h"

#include "korvada_version.h"
#include "linux/linux_places.h"
#include "setup/best_round.h"
#include "setup/board_texts.h"
#include "setup/gtk/board_curl.h"
#include "setup/gtk/setup_gtk.h"
#include "setup/gtk/setup_pads.h"
#include "setup/pad_menu.h"

namespace {
struct Dialog {
    const SetupTexts* texts = nullptr;
    ScreenRows screen;
    LaunchChoice choice;  // what the dialog opened with, then the last round's
    const StartRound* start = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* rows[kResolutionCount] = {};
    GtkWidget* fullScreen = nullptr;
    GtkWidget* bits16 = nullptr;
    GtkWidget* blending = nullptr;
    GtkWidget* bottles = nullptr;
    GtkWidget* sound = nullptr;
    GtkWidget* play = nullptr;
    GtkWidget* watch = nullptr;  // Watch best
    GtkWidget* today = nullptr;  // Today's round
    GtkWidget* name = nullptr;
    GtkWidget* todayBest = nullptr;  // the day's best of today's round
    GtkWidget* close = nullptr;
    GtkWidget* best = nullptr;      // the best catch for the bottles chosen
    GtkWidget* bestTen = nullptr;   // the list of the ten best for them
    GtkWidget* bestTenScroll = nullptr;
    GtkWidget* roundEnd = nullptr;  // why the last round failed, or its new best
    FileChange catchesFile;
    BestCatches catches;
    BestCatch beforeRound;  // the best for the round's bottles (or the day's) as it started
    RoundKind kind = FreeRound;  // the last round's
    std::string notSaved;   // why Play could not save the choice, or ""

    // The board: off until the player gives its address.
    const BoardClientTexts* board = nullptr;
    GtkWidget* address = nullptr;
    GtkWidget* boardSection = nullptr;  // the day's top ten, shown only with a board
    GtkWidget* boardHeading = nullptr;
    GtkWidget* boardList = nullptr;
    WaitingFolder waiting;
    RoundSending sending;
    bool exchanging = false;   // a waiting round's answer is awaited
    bool busy = false;         // a ticket or a round to watch is coming: nothing else starts
    guint sendTimer = 0;       // while a game runs: its round goes the moment it ends
    std::filesystem::path downloaded;  // a watched round of the board's, gone when its game ends
    std::string boardSaid;     // said while the dialog was away, for its return
    bool boardTrouble = false;
    // An answer that comes after the dialog closed finds nothing to touch.
    std::shared_ptr<int> open = std::make_shared<int>();
};

// The message box open now, which a pad's A or B closes.
GtkWidget* openMessage = nullptr;

// A label of any length never widens its window: it asks for no width of
// its own, takes what the rest of the window gives it and wraps there, a
// path with no blank in it between any two letters.
void wrapWithin(GtkWidget* label) {
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 1);
}

// A radio group's mnemonic must land on the chosen button: landing on
// another would choose that one instead.
void followChosenRadio(GtkToggleButton* radio, gpointer label) {
    if (gtk_toggle_button_get_active(radio)) gtk_label_set_mnemonic_widget(GTK_LABEL(label), GTK_WIDGET(radio));
}

GtkWidget* groupLabel(const char* text, GtkWidget* grid, int top) {
    GtkWidget* label = gtk_label_new_with_mnemonic(text);
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_label_set_yalign(GTK_LABEL(label), 0);
    gtk_grid_attach(GTK_GRID(grid), label, 0, top, 1, 1);
    return label;
}

GtkWidget* radioIn(GtkWidget* group, const char* text, bool mnemonic) {
    GtkRadioButton* first = group ? GTK_RADIO_BUTTON(group) : nullptr;
    return mnemonic ? gtk_radio_button_new_with_mnemonic_from_widget(first, text)
                    : gtk_radio_button_new_with_label_from_widget(first, text);
}

void choose(GtkWidget* radio, GtkWidget* label) {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(radio), TRUE);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), radio);
}

GtkWidget* checkBox(const char* text, bool on, GtkWidget* grid, int top) {
    GtkWidget* box = gtk_check_button_new_with_mnemonic(text);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), on);
    gtk_grid_attach(GTK_GRID(grid), box, 1, top, 1, 1);
    return box;
}

int chosenBottles(const Dialog& d) { return gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(d.bottles)); }

KeptRound bestRound(const Dialog& d) {
    const int bottles = std::clamp(chosenBottles(d), kFewestBottles, kMostBottles);
    return keptRound(d.catchesFile.file, bottles, d.catches[bottles].round);
}

// A Watch best no longer offered hands the focus to Play, so that Enter
// still plays.
void offerWatch(Dialog& d) {
    const bool offered = offersWatch(bestRound(d), gtk_widget_get_sensitive(d.play));
    if (!offered && gtk_widget_has_focus(d.watch)) gtk_widget_grab_focus(d.play);
    gtk_widget_set_sensitive(d.watch, offered);
}

int chosenRow(const Dialog& d) {
    for (int row = 0; row < kResolutionCount; ++row)
        if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(d.rows[row]))) return row;
    return 0;
}

// The rows the full-screen choice allows; a chosen row it does not allow
// gives way to the largest it does. Play only with a row to play.
void allowRows(Dialog& d) {
    const OfferedRows& allowed =
        rowsFor(d.screen, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(d.fullScreen)) != FALSE);
    for (int row = 0; row < kResolutionCount; ++row) gtk_widget_set_sensitive(d.rows[row], allowed[row]);
    if (!allowed[chosenRow(d)] && anyOffered(allowed))
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(d.rows[largestRow(allowed)]), TRUE);
    gtk_widget_set_sensitive(d.play, anyOffered(allowed));
    offerWatch(d);
}

void onFullScreenToggled(GtkToggleButton*, gpointer data) { allowRows(*static_cast<Dialog*>(data)); }

void addResolutions(Dialog& d, GtkWidget* grid) {
    const SetupTexts& texts = *d.texts;
    GtkWidget* label = groupLabel(texts.resolution, grid, 0);
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    for (int row = 0; row < kResolutionCount; ++row) {
        const std::string text = resolutionLabel(texts, row, d.screen.fullScreen[row], d.screen.window[row]);
        d.rows[row] = radioIn(row ? d.rows[0] : nullptr, text.c_str(), false);
        gtk_widget_set_name(d.rows[row], ("row-" + std::to_string(row)).c_str());
        g_signal_connect(d.rows[row], "toggled", G_CALLBACK(followChosenRadio), label);
        gtk_box_pack_start(GTK_BOX(column), d.rows[row], FALSE, FALSE, 0);
    }
    choose(d.rows[d.choice.settings.resolutionIndex], label);
    gtk_grid_attach(GTK_GRID(grid), column, 1, 0, 1, 1);

    // A choice only where the screen leaves one.
    d.fullScreen = checkBox(texts.fullScreen, d.choice.fullScreen, grid, 1);
    gtk_widget_set_sensitive(d.fullScreen, anyOffered(d.screen.fullScreen) && anyOffered(d.screen.window));
    g_signal_connect(d.fullScreen, "toggled", G_CALLBACK(onFullScreenToggled), &d);
    if (!anyOffered(d.screen.fullScreen) && !anyOffered(d.screen.window)) {
        GtkWidget* note = gtk_label_new(texts.noneOffered);
        gtk_label_set_xalign(GTK_LABEL(note), 0);
        gtk_grid_attach(GTK_GRID(grid), note, 1, 2, 1, 1);
    }
}

void addColourDepth(Dialog& d, const SetupTexts& texts, bool sixteen, GtkWidget* grid) {
    GtkWidget* label = groupLabel(texts.colourDepth, grid, 3);
    GtkWidget* line = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    d.bits16 = radioIn(nullptr, texts.bits16, true);
    GtkWidget* bits32 = radioIn(d.bits16, texts.bits32, true);
    for (GtkWidget* radio : {d.bits16, bits32}) {
        g_signal_connect(radio, "toggled", G_CALLBACK(followChosenRadio), label);
        gtk_box_pack_start(GTK_BOX(line), radio, FALSE, FALSE, 0);
    }
    choose(sixteen ? d.bits16 : bits32, label);
    gtk_grid_attach(GTK_GRID(grid), line, 1, 3, 1, 1);
}

void addBottles(Dialog& d, const SetupTexts& texts, int bottles, GtkWidget* grid) {
    GtkWidget* label = groupLabel(texts.bottles, grid, 5);
    gtk_label_set_yalign(GTK_LABEL(label), 0.5);
    d.bottles = gtk_spin_button_new_with_range(kFewestBottles, kMostBottles, 1);
    gtk_widget_set_name(d.bottles, "bottles");
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(d.bottles), bottles);
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(d.bottles), TRUE);
    // Enter in the number plays, as everywhere else in the dialog.
    gtk_entry_set_activates_default(GTK_ENTRY(d.bottles), TRUE);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), d.bottles);
    d.best = gtk_label_new("");
    gtk_widget_set_name(d.best, "best");
    // As wide as its longest line, so that the dialog keeps its size.
    int widest = 0;
    for (const BestCatch& best : {BestCatch(), BestCatch{true, kRoundBubbles, "2026-12-30", "", 0}})
        widest = std::max(widest, static_cast<int>(g_utf8_strlen(bestCatchLine(texts, best).c_str(), -1)));
    gtk_label_set_width_chars(GTK_LABEL(d.best), widest);
    gtk_label_set_xalign(GTK_LABEL(d.best), 0);
    GtkWidget* line = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_box_pack_start(GTK_BOX(line), d.bottles, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(line), d.best, FALSE, FALSE, 0);
    gtk_widget_set_halign(line, GTK_ALIGN_START);
    gtk_grid_attach(GTK_GRID(grid), line, 1, 5, 1, 1);
}

// The name typed as it is kept: an empty field is no name. Enter plays, as
// everywhere else in the dialog. Under it, today's round's best.
void addName(Dialog& d, const SetupTexts& texts, GtkWidget* grid) {
    GtkWidget* label = groupLabel(texts.name, grid, 7);
    gtk_label_set_yalign(GTK_LABEL(label), 0.5);
    d.name = gtk_entry_new();
    gtk_widget_set_name(d.name, "name");
    gtk_entry_set_text(GTK_ENTRY(d.name), d.choice.name.c_str());
    gtk_entry_set_width_chars(GTK_ENTRY(d.name), kLongestPlayerName);
    gtk_entry_set_activates_default(GTK_ENTRY(d.name), TRUE);
    gtk_widget_set_halign(d.name, GTK_ALIGN_START);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), d.name);
    gtk_grid_attach(GTK_GRID(grid), d.name, 1, 7, 1, 1);
    d.todayBest = gtk_label_new("");
    gtk_widget_set_name(d.todayBest, "today-best");
    gtk_label_set_xalign(GTK_LABEL(d.todayBest), 0);
    gtk_grid_attach(GTK_GRID(grid), d.todayBest, 1, 8, 1, 1);
}

// The table as it is on the disk now; a file that is no table is said each
// time it is read, until the game replaces it at its next record.
void readCatches(Dialog& d) {
    const StoredCatches stored = readStoredCatches(catchStoreIn(&d.catchesFile));
    if (!stored.trouble.empty()) std::fprintf(stderr, "korvada-setup: %s\n", stored.trouble.c_str());
    d.catches = stored.table;
}

// --- The ten best ----------------------------------------------------------

void startRound(Dialog& d, const std::filesystem::path& watch, RoundKind kind = FreeRound);
void showRoundEnd(Dialog& d, const RoundEnd& end);
LaunchChoice chosenChoice(const Dialog& d);

// A row's Watch: the round read again at the click, as Watch best does.
void onWatchRow(GtkButton* button, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    const int bottles = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "bottles"));
    const int round = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "round"));
    d.choice = chosenChoice(d);
    const KeptRound kept = keptRound(d.catchesFile.file, bottles, round);
    if (!kept.playable) {
        std::fprintf(stderr, "korvada-setup: %s\n", kept.trouble.c_str());
        showRoundEnd(d, {watchRefusal(*d.texts, kept), true});
        gtk_widget_set_sensitive(GTK_WIDGET(button), FALSE);
        return;
    }
    startRound(d, kept.file);
}

// A row's Save round: a copy of its recording where the player chooses,
// under the name offered; the line says where it went, or why not.
void onSaveRow(GtkButton* button, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    const int bottles = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "bottles"));
    const std::size_t place = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(button), "place"));
    if (place >= d.catches.rows[bottles].size()) return;
    const BestCatch row = d.catches.rows[bottles][place];
    // The button's words as the window's title, without its mnemonic's mark.
    std::string title = d.texts->saveRound;
    title.erase(std::remove(title.begin(), title.end(), '_'), title.end());
    GtkFileChooserNative* chooser = gtk_file_chooser_native_new(title.c_str(), GTK_WINDOW(d.window),
                                                                GTK_FILE_CHOOSER_ACTION_SAVE, nullptr, nullptr);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), savedRoundName(row).c_str());
    if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        char* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        const std::filesystem::path to = chosen != nullptr ? chosen : "";
        g_free(chosen);
        std::string error;
        const bool saved = saveRoundCopy(keptRound(d.catchesFile.file, bottles, row.round), to, diskSteps(), &error);
        if (!saved) std::fprintf(stderr, "korvada-setup: the round is not saved: %s\n", error.c_str());
        else std::fprintf(stderr, "korvada-setup: the round is saved: %s\n", to.c_str());
        showRoundEnd(d, savedRoundLine(*d.texts, to, saved, error));
    }
    g_object_unref(chooser);
}

// Beside the controls, scrolled within a size of its own: ten rows never
// make the dialog taller or wider than a small screen.
// A list's heading (dimmed, as a section's) and its rows' grid, named for
// the tests, in a frame that scrolls upright at `height` px; into `column`.
struct ListParts {
    GtkWidget* heading;
    GtkWidget* scrolled;
    GtkWidget* grid;
};
ListParts addList(GtkWidget* column, const char* heading, const char* name, int height) {
    ListParts list;
    list.heading = gtk_label_new(heading);
    gtk_label_set_xalign(GTK_LABEL(list.heading), 0);
    gtk_style_context_add_class(gtk_widget_get_style_context(list.heading), "dim-label");
    gtk_box_pack_start(GTK_BOX(column), list.heading, FALSE, FALSE, 0);
    list.scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(list.scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(list.scrolled), GTK_SHADOW_IN);
    gtk_widget_set_size_request(list.scrolled, -1, height);
    list.grid = gtk_grid_new();
    gtk_widget_set_name(list.grid, name);
    gtk_grid_set_column_spacing(GTK_GRID(list.grid), 10);
    gtk_grid_set_row_spacing(GTK_GRID(list.grid), 2);
    gtk_container_set_border_width(GTK_CONTAINER(list.grid), 6);
    gtk_container_add(GTK_CONTAINER(list.scrolled), list.grid);
    gtk_box_pack_start(GTK_BOX(column), list.scrolled, TRUE, TRUE, 0);
    return list;
}

GtkWidget* addBestTen(Dialog& d, const SetupTexts& texts) {
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    const ListParts list = addList(column, texts.bestTen, "best-ten", 300);
    d.bestTenScroll = list.scrolled;
    d.bestTen = list.grid;
    return column;
}

GtkWidget* cell(const std::string& text, GtkWidget* list, int column, int row, int widest) {
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_xalign(GTK_LABEL(label), column == 0 ? 1 : 0);
    if (widest > 0) {
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
        gtk_label_set_max_width_chars(GTK_LABEL(label), widest);
        gtk_label_set_width_chars(GTK_LABEL(label), widest);
    }
    gtk_grid_attach(GTK_GRID(list), label, column, row, 1, 1);
    return label;
}

void showBestTen(Dialog& d) {
    GList* old = gtk_container_get_children(GTK_CONTAINER(d.bestTen));
    for (GList* child = old; child != nullptr; child = child->next) gtk_widget_destroy(GTK_WIDGET(child->data));
    g_list_free(old);
    const int bottles = std::clamp(chosenBottles(d), kFewestBottles, kMostBottles);
    const std::vector<BestCatch>& rows = d.catches.rows[bottles];
    if (rows.empty()) cell(d.texts->noRounds, d.bestTen, 1, 0, 0);
    const bool playOffered = gtk_widget_get_sensitive(d.play) != FALSE;
    for (std::size_t place = 0; place < rows.size(); ++place) {
        const int top = static_cast<int>(place);
        const BestTenRow row = bestTenRow(*d.texts, rows[place], top);
        cell(row.place, d.bestTen, 0, top, 0);
        cell(row.bubbles, d.bestTen, 1, top, 0);
        cell(row.day, d.bestTen, 2, top, 0);
        cell(row.name, d.bestTen, 3, top, 12);
        GtkWidget* watch = gtk_button_new_with_label(d.texts->watchRow);
        gtk_widget_set_name(watch, ("watch-" + std::to_string(place + 1)).c_str());
        g_object_set_data(G_OBJECT(watch), "bottles", GINT_TO_POINTER(bottles));
        g_object_set_data(G_OBJECT(watch), "round", GINT_TO_POINTER(rows[place].round));
        // Offered only for a round the game would play, as Watch best.
        gtk_widget_set_sensitive(watch, offersWatch(keptRound(d.catchesFile.file, bottles, rows[place].round), playOffered));
        g_signal_connect(watch, "clicked", G_CALLBACK(onWatchRow), &d);
        // Save round… under Watch: the list stays as wide as it was.
        GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
        gtk_box_pack_start(GTK_BOX(buttons), watch, FALSE, FALSE, 0);
        gtk_grid_attach(GTK_GRID(d.bestTen), buttons, 4, top, 1, 1);
        // A row without a recording the game would play has nothing to save.
        if (!keptRound(d.catchesFile.file, bottles, rows[place].round).playable) continue;
        GtkWidget* save = gtk_button_new_with_mnemonic(d.texts->saveRound);
        gtk_widget_set_name(save, ("save-" + std::to_string(place + 1)).c_str());
        g_object_set_data(G_OBJECT(save), "bottles", GINT_TO_POINTER(bottles));
        g_object_set_data(G_OBJECT(save), "place", GUINT_TO_POINTER(place));
        g_signal_connect(save, "clicked", G_CALLBACK(onSaveRow), &d);
        gtk_box_pack_start(GTK_BOX(buttons), save, FALSE, FALSE, 0);
    }
    gtk_widget_show_all(d.bestTen);
}

// Today is the UTC day, as the game counts today's round's days.
BestCatch todaysBest(const Dialog& d) { return dayBest(d.catches, todayUtc(std::time(nullptr))); }

// What a round is measured against: its count's best, or the day's.
BestCatch bestFor(const Dialog& d, RoundKind kind) {
    return kind == DailyRound ? todaysBest(d) : d.catches[bottlesToLay(d.choice.settings)];
}

void showBest(Dialog& d) {
    gtk_label_set_text(GTK_LABEL(d.todayBest), todayLine(*d.texts, todaysBest(d)).c_str());
    const BestCatch& best = d.catches[std::clamp(chosenBottles(d), kFewestBottles, kMostBottles)];
    gtk_label_set_text(GTK_LABEL(d.best), bestCatchLine(*d.texts, best).c_str());
    offerWatch(d);
    if (d.bestTen != nullptr) showBestTen(d);
}

// The line under the controls: what the last round left to say, or nothing.
void showRoundEnd(Dialog& d, const RoundEnd& end) {
    GtkStyleContext* style = gtk_widget_get_style_context(d.roundEnd);
    if (end.trouble)
        gtk_style_context_add_class(style, "error");
    else
        gtk_style_context_remove_class(style, "error");
    gtk_label_set_text(GTK_LABEL(d.roundEnd), end.line.c_str());
    gtk_widget_set_visible(d.roundEnd, !end.line.empty());
}

// --- The board ---------------------------------------------------------------

bool boardOn(const Dialog& d) { return !d.sending.origin.empty(); }

constexpr int kListWithBoard = 120;

// The board's answer on the dialog's loop, only while the dialog is open
// and still talking to the same board.
BoardAnswered whileOpen(Dialog& d, std::function<void(Dialog&, const BoardAnswer&)> then) {
    std::weak_ptr<int> open = d.open;
    Dialog* dialog = &d;
    const std::string origin = d.sending.origin;
    return [open, dialog, origin, then](const BoardAnswer& answer) {
        if (!open.expired() && dialog->sending.origin == origin) then(*dialog, answer);
    };
}

// A board's line joins what the round's end said; while the dialog is away
// it waits for its return.
void addToLine(Dialog& d, const std::string& line, bool trouble);

void sayForBoard(Dialog& d, const std::string& line, bool trouble) {
    if (line.empty()) return;
    std::fprintf(stderr, "korvada-setup: %s\n", line.c_str());
    addToLine(d, line, trouble);
}

void addToLine(Dialog& d, const std::string& line, bool trouble) {
    if (line.empty()) return;
    if (!gtk_widget_get_visible(d.window)) {
        d.boardSaid += (d.boardSaid.empty() ? "" : "\n") + line;
        d.boardTrouble = d.boardTrouble || trouble;
        return;
    }
    const bool shown = gtk_widget_get_visible(d.roundEnd);
    const std::string before = shown ? gtk_label_get_text(GTK_LABEL(d.roundEnd)) : "";
    const bool wasTrouble = shown && gtk_style_context_has_class(gtk_widget_get_style_context(d.roundEnd), "error");
    showRoundEnd(d, {before + (before.empty() ? "" : "\n") + line, trouble || wasTrouble});
}

void setBusy(Dialog& d, bool busy) {
    d.busy = busy;
    gtk_widget_set_sensitive(d.today, !busy);
    gtk_widget_set_sensitive(d.play, !busy);
    if (busy) gtk_widget_set_sensitive(d.watch, FALSE);
    else offerWatch(d);
}

void onWatchBoardRow(GtkButton* button, gpointer data);

void showDay(Dialog& d, const std::string& date, const DayRounds& day) {
    if (!day.read) std::fprintf(stderr, "korvada-setup: the board's day: %s\n", day.trouble.c_str());
    const ShownDay shown = shownDay(*d.texts, *d.board, date, day);
    gtk_label_set_text(GTK_LABEL(d.boardHeading), shown.heading.c_str());
    GList* old = gtk_container_get_children(GTK_CONTAINER(d.boardList));
    for (GList* child = old; child != nullptr; child = child->next) gtk_widget_destroy(GTK_WIDGET(child->data));
    g_list_free(old);
    if (!shown.line.empty()) {
        GtkWidget* line = cell(shown.line, d.boardList, 1, 0, 0);
        wrapWithin(line);
        gtk_widget_set_hexpand(line, TRUE);
    }
    for (std::size_t at = 0; at < shown.rows.size(); ++at) {
        const ShownRow& row = shown.rows[at];
        const int top = static_cast<int>(at);
        cell(std::to_string(row.place) + ".", d.boardList, 0, top, 0);
        cell(row.bubbles, d.boardList, 1, top, 0);
        cell(row.name, d.boardList, 2, top, 12);
        GtkWidget* watch = gtk_button_new_with_label(d.board->watch);
        gtk_widget_set_name(watch, ("board-watch-" + std::to_string(row.place)).c_str());
        g_object_set_data_full(G_OBJECT(watch), "id", g_strdup(row.id.c_str()), g_free);
        g_signal_connect(watch, "clicked", G_CALLBACK(onWatchBoardRow), &d);
        gtk_grid_attach(GTK_GRID(d.boardList), watch, 3, top, 1, 1);
    }
    gtk_widget_show_all(d.boardList);
}

// Today is the UTC day, as the board counts it.
void askDay(Dialog& d) {
    gtk_widget_set_visible(d.boardSection, boardOn(d));
    // Both lists in the height the ten best had alone: the dialog still fits a 1024 × 768 screen.
    gtk_widget_set_size_request(d.bestTenScroll, -1, boardOn(d) ? kListWithBoard : 2 * kListWithBoard + 60);
    if (!boardOn(d)) return;
    const std::string date = dayText(todayUtc(std::time(nullptr)));
    startBoardExchange(dayRequest(d.sending.origin, date), whileOpen(d, [date](Dialog& d, const BoardAnswer& answer) {
        showDay(d, date, readDayAnswer(answer, date));
    }));
}

void sendNextRound(Dialog& d);

// A pass over what waits, one round at a time; `newOnly` while a game runs.
void sendWaiting(Dialog& d, bool newOnly) {
    if (!boardOn(d) || d.exchanging) return;
    if (beginSending(&d.sending, newOnly)) sendNextRound(d);
}

void sendNextRound(Dialog& d) {
    BoardRequest request;
    if (nextRound(&d.sending, &request)) {
        d.exchanging = true;
        startBoardExchange(request, whileOpen(d, [](Dialog& d, const BoardAnswer& answer) {
            d.exchanging = false;
            takeRoundAnswer(&d.sending, answer, std::time(nullptr));
            sendNextRound(d);
        }));
        return;
    }
    const SendingTally& tally = d.sending.tally;
    const bool kept = tally.kept > 0;
    const bool trouble = tally.refused > 0 || tally.unanswered;
    sayForBoard(d, sendingLine(*d.texts, *d.board, &d.sending), trouble);
    if (kept) askDay(d);
}

// A board's address as the player gave it: "" is no board; a new one
// talks to that board from now on (a secret made for it the first time).
void useBoard(Dialog& d, const std::string& origin) {
    if (!turnToBoard(&d.choice, &d.sending, origin, makeBoardSecret)) return;
    d.exchanging = false;
    askDay(d);
    sendWaiting(d, false);
}

// An address the rule refuses starts nothing and is not kept: the line
// says why, and the field has the focus to mend it.
bool addressTaken(Dialog& d) {
    std::string origin, why;
    const std::string typed = gtk_entry_get_text(GTK_ENTRY(d.address));
    if (!typed.empty() && !readBoardAddress(typed, &origin, &why)) {
        std::fprintf(stderr, "korvada-setup: the board's address is refused: %s\n", why.c_str());
        showRoundEnd(d, {filledIn(d.board->badAddress, why), true});
        gtk_widget_grab_focus(d.address);
        return false;
    }
    useBoard(d, origin);
    return true;
}

void onAddressEntered(GtkEntry*, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    if (!d.busy && addressTaken(d)) showRoundEnd(d, {"", false});
}

gboolean onSendTick(gpointer data) {
    sendWaiting(*static_cast<Dialog*>(data), true);
    return G_SOURCE_CONTINUE;
}

// Today's round with a board: a ticket first. Without one in its time the
// round plays all the same, only the board will never see it.
void askTicketAndPlay(Dialog& d) {
    d.choice.ticket.clear();
    if (!boardOn(d)) {
        startRound(d, {}, DailyRound);
        return;
    }
    setBusy(d, true);
    showRoundEnd(d, {d.board->asking, false});
    startBoardExchange(ticketRequest(d.sending.origin), whileOpen(d, [](Dialog& d, const BoardAnswer& answer) {
        setBusy(d, false);
        const BoardTicket ticket = readTicketAnswer(answer);
        d.choice.ticket = ticket.given ? ticket.ticket : "";
        startRound(d, {}, DailyRound);
        // Away with the dialog, it is said at its return.
        if (!ticket.given) sayForBoard(d, filledIn(d.board->noTicket, ticket.trouble), true);
    }));
}

// A round of the board's list, downloaded into a file of its own and
// watched as any recording; read first, as everything the board sends.
void onWatchBoardRow(GtkButton* button, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    if (d.busy) return;
    const std::string id = static_cast<const char*>(g_object_get_data(G_OBJECT(button), "id"));
    setBusy(d, true);
    showRoundEnd(d, {d.board->downloading, false});
    BoardRequest request = recordingRequest(d.sending.origin, id);
    startBoardExchange(request, whileOpen(d, [](Dialog& d, const BoardAnswer& answer) {
        setBusy(d, false);
        RoundRecording recording;
        std::string trouble;
        gchar* name = nullptr;
        GError* error = nullptr;
        const int file = readRecordingAnswer(answer, &recording, &trouble)
                             ? g_file_open_tmp("korvada-board-XXXXXX.kvr", &name, &error) : -1;
        if (error != nullptr) {
            trouble = error->message;
            g_error_free(error);
        }
        const bool written = file >= 0 && write(file, answer.body.data(), answer.body.size()) ==
                                              static_cast<ssize_t>(answer.body.size());
        if (file >= 0) close(file);
        if (name != nullptr) d.downloaded = name;
        g_free(name);
        if (!written) {
            if (trouble.empty()) trouble = "cannot write " + d.downloaded.string();
            showRoundEnd(d, {filledIn(d.board->cannotWatch, trouble), true});
            std::fprintf(stderr, "korvada-setup: %s\n", trouble.c_str());
            return;
        }
        d.choice = chosenChoice(d);
        startRound(d, d.downloaded);
    }));
}

// Beside the best ten: the board's day, off until there is a board.
GtkWidget* addBoardSection(Dialog& d) {
    d.boardSection = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_widget_set_no_show_all(d.boardSection, TRUE);
    const ListParts list = addList(d.boardSection, "", "board-list", kListWithBoard);
    d.boardHeading = list.heading;
    d.boardList = list.grid;
    gtk_widget_show_all(list.scrolled);
    gtk_widget_show(d.boardHeading);
    return d.boardSection;
}

// The address under the name: empty, its hint says the board is off.
void addAddress(Dialog& d, GtkWidget* grid) {
    GtkWidget* label = groupLabel(d.board->address, grid, 9);
    gtk_label_set_yalign(GTK_LABEL(label), 0.5);
    d.address = gtk_entry_new();
    gtk_widget_set_name(d.address, "board-address");
    gtk_entry_set_text(GTK_ENTRY(d.address), d.choice.board.c_str());
    gtk_entry_set_placeholder_text(GTK_ENTRY(d.address), d.board->addressHint);
    gtk_entry_set_width_chars(GTK_ENTRY(d.address), 28);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), d.address);
    gtk_grid_attach(GTK_GRID(grid), d.address, 1, 9, 1, 1);
    // Enter here turns the board on (or off), as every button does.
    g_signal_connect(d.address, "activate", G_CALLBACK(onAddressEntered), &d);
}

void onBottlesChanged(GtkSpinButton*, gpointer data) { showBest(*static_cast<Dialog*>(data)); }

LaunchChoice chosenChoice(const Dialog& d);

// The round is over: the dialog again, Play focused, and why it failed or
// the new best it set. A table the game could not write is told here too:
// the game said why on its stderr, which a player who started the dialog
// from the desktop never sees, so the dialog tries the same write (all but
// its rename) and shows the reason it fails now.
void onGameEnded(GPid game, gint status, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    g_spawn_close_pid(game);
    if (d.sendTimer != 0) g_source_remove(d.sendTimer);
    d.sendTimer = 0;
    std::error_code gone;
    if (!d.downloaded.empty()) std::filesystem::remove(d.downloaded, gone);
    d.downloaded.clear();
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const std::string failed = gameEndLine(*d.texts, exitCode);
    if (!failed.empty()) std::fprintf(stderr, "korvada-setup: %s\n", failed.c_str());
    readCatches(d);
    std::string notKept;
    couldReplace(d.catchesFile.file, bestCatchesText(d.catches), d.catchesFile.disk, &notKept);
    showRoundEnd(d, roundEndLine(*d.texts, exitCode, d.beforeRound, bestFor(d, d.kind), d.notSaved, notKept));
    showBest(d);
    gtk_widget_show(d.window);
    gtk_window_present(GTK_WINDOW(d.window));
    gtk_widget_grab_focus(d.play);
    showSetupPads(true);
    addToLine(d, d.boardSaid, d.boardTrouble);
    d.boardSaid.clear();
    d.boardTrouble = false;
    sendWaiting(d, false);
}

// A round with the choice: a new one, or the recording `watch` played back.
void startRound(Dialog& d, const std::filesystem::path& watch, RoundKind kind) {
    // As it stands now: another round may have changed it since.
    readCatches(d);
    d.kind = watch.empty() ? kind : FreeRound;
    d.beforeRound = bestFor(d, d.kind);
    gtk_widget_hide(d.roundEnd);
    d.notSaved.clear();
    const GPid game = (*d.start)(d.choice, watch, d.kind, &d.notSaved);
    if (game == 0) {
        showRoundEnd(d, roundEndLine(*d.texts, 0, BestCatch(), BestCatch(), d.notSaved, ""));
        return;
    }
    showSetupPads(false);
    gtk_widget_hide(d.window);
    g_child_watch_add(game, onGameEnded, &d);
    if (boardOn(d)) d.sendTimer = g_timeout_add_seconds(1, onSendTick, &d);
}

// A name the rule refuses plays nothing and is not kept: the line says
// why, and the field has the focus to mend it.
bool nameTaken(Dialog& d) {
    const std::string refusal = nameRefusal(*d.texts, d.choice.name);
    if (refusal.empty()) return true;
    std::fprintf(stderr, "korvada-setup: the name is refused: %s\n", refusal.c_str());
    showRoundEnd(d, {refusal, true});
    gtk_widget_grab_focus(d.name);
    return false;
}

void onPlay(GtkButton*, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    d.choice = chosenChoice(d);
    if (nameTaken(d) && addressTaken(d)) startRound(d, {});
}

void onToday(GtkButton*, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    d.choice = chosenChoice(d);
    if (nameTaken(d) && addressTaken(d)) askTicketAndPlay(d);
}

// The recording is read again here: one damaged since it was offered is
// said on the dialog's line, where a player who started the dialog from the
// desktop sees it, and no window opens only to close again.
void onWatch(GtkButton*, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    d.choice = chosenChoice(d);
    if (!addressTaken(d)) return;
    const KeptRound round = bestRound(d);
    if (!round.playable) {
        std::fprintf(stderr, "korvada-setup: %s\n", round.trouble.c_str());
        showRoundEnd(d, {watchRefusal(*d.texts, round), true});
        offerWatch(d);
        return;
    }
    startRound(d, round.file);
}

// The chosen row steps to the next or the previous the full-screen choice allows.
void stepRow(Dialog& d, int step) {
    const OfferedRows& allowed =
        rowsFor(d.screen, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(d.fullScreen)) != FALSE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(d.rows[steppedRow(allowed, chosenRow(d), step)]), TRUE);
}

// What a pad asks of the dialog, as the keys would do it; an open message
// box takes A or B as its OK.
void onPadActions(Dialog& d, uint32_t actions) {
    if (openMessage != nullptr) {
        if (actions & (PadPlay | PadClose)) gtk_dialog_response(GTK_DIALOG(openMessage), GTK_RESPONSE_OK);
        return;
    }
    if (!gtk_widget_get_visible(d.window)) return;
    if (actions & PadClose) {
        gtk_button_clicked(GTK_BUTTON(d.close));
        return;
    }
    if (actions & PadMoreBottles) gtk_spin_button_spin(GTK_SPIN_BUTTON(d.bottles), GTK_SPIN_STEP_FORWARD, 1);
    if (actions & PadFewerBottles) gtk_spin_button_spin(GTK_SPIN_BUTTON(d.bottles), GTK_SPIN_STEP_BACKWARD, 1);
    if (actions & PadNextRow) stepRow(d, 1);
    if (actions & PadPreviousRow) stepRow(d, -1);
    if ((actions & PadPlay) && gtk_widget_is_sensitive(d.play)) gtk_button_clicked(GTK_BUTTON(d.play));
}

void onClose(GtkWidget*, gpointer) { gtk_main_quit(); }

gboolean onDelete(GtkWidget* window, GdkEvent*, gpointer data) {
    onClose(window, data);
    return TRUE;
}

GtkWidget* buttonRow(Dialog& d, const SetupTexts& texts) {
    GtkWidget* line = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    const std::string version = std::string(texts.version) + KORVADA_VERSION_STRING;
    GtkWidget* about = gtk_label_new(version.c_str());
    gtk_style_context_add_class(gtk_widget_get_style_context(about), "dim-label");
    gtk_box_pack_start(GTK_BOX(line), about, FALSE, FALSE, 0);

    GtkWidget* play = d.play = gtk_button_new_with_mnemonic(texts.play);
    GtkWidget* watch = d.watch = gtk_button_new_with_mnemonic(texts.watchBest);
    GtkWidget* today = d.today = gtk_button_new_with_mnemonic(texts.todaysRound);
    gtk_widget_set_name(play, "play");
    gtk_widget_set_name(watch, "watch");
    gtk_widget_set_name(today, "today");
    GtkWidget* close = d.close = gtk_button_new_with_mnemonic(texts.close);
    gtk_widget_set_name(close, "close");
    gtk_box_pack_end(GTK_BOX(line), play, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(line), today, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(line), watch, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(line), close, FALSE, FALSE, 0);
    g_signal_connect(play, "clicked", G_CALLBACK(onPlay), &d);
    g_signal_connect(watch, "clicked", G_CALLBACK(onWatch), &d);
    g_signal_connect(today, "clicked", G_CALLBACK(onToday), &d);
    g_signal_connect(close, "clicked", G_CALLBACK(onClose), &d);

    GtkAccelGroup* keys = gtk_accel_group_new();
    gtk_window_add_accel_group(GTK_WINDOW(d.window), keys);
    gtk_widget_add_accelerator(close, "clicked", keys, GDK_KEY_Escape, GdkModifierType(0), GtkAccelFlags(0));
    gtk_widget_set_can_default(play, TRUE);
    gtk_window_set_default(GTK_WINDOW(d.window), play);
    gtk_style_context_add_class(gtk_widget_get_style_context(play), "suggested-action");
    return line;
}

LaunchChoice chosenChoice(const Dialog& d) {
    LaunchChoice choice = d.choice;
    GameSettings& settings = choice.settings;
    settings.resolutionIndex = chosenRow(d);
    settings.colorCode = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(d.bits16)) ? 'H' : 'T';
    settings.blending = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(d.blending)) ? 1 : 0;
    // A number typed but not yet confirmed counts, limited to the range.
    gtk_spin_button_update(GTK_SPIN_BUTTON(d.bottles));
    chooseBottles(&settings, chosenBottles(d));
    settings.sound = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(d.sound)) ? 1 : 0;
    choice.fullScreen = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(d.fullScreen)) != FALSE;
    choice.name = gtk_entry_get_text(GTK_ENTRY(d.name));
    return choice;
}
}  // namespace

void runSetupDialog(const SetupTexts& texts, const ScreenRows& screen, LaunchChoice choice, const StartRound& play,
                    const std::filesystem::path& bestCatches) {
    Dialog d;
    d.texts = &texts;
    d.screen = screen;
    d.choice = choice;
    d.start = &play;
    d.catchesFile = {bestCatches, diskSteps()};
    d.board = &boardTextsOf(localeName());
    d.waiting = {waitingFolder(bestCatches), diskSteps()};
    d.sending.store = waitingStoreIn(&d.waiting);
    readCatches(d);
    d.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(d.window), texts.title);
    gtk_window_set_resizable(GTK_WINDOW(d.window), FALSE);
    gtk_window_set_position(GTK_WINDOW(d.window), GTK_WIN_POS_CENTER);
    gtk_window_set_type_hint(GTK_WINDOW(d.window), GDK_WINDOW_TYPE_HINT_DIALOG);
    g_signal_connect(d.window, "delete-event", G_CALLBACK(onDelete), &d);

    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 10);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 18);
    const GameSettings& settings = choice.settings;
    addResolutions(d, grid);
    addColourDepth(d, texts, settings.colorCode == 'H', grid);
    d.blending = checkBox(texts.blending, settings.blending, grid, 4);
    addBottles(d, texts, bottlesToLay(settings), grid);
    d.sound = checkBox(texts.sound, settings.sound, grid, 6);
    addName(d, texts, grid);
    addAddress(d, grid);

    d.roundEnd = gtk_label_new("");
    gtk_widget_set_name(d.roundEnd, "round-end");
    gtk_label_set_xalign(GTK_LABEL(d.roundEnd), 0);
    wrapWithin(d.roundEnd);
    gtk_style_context_add_class(gtk_widget_get_style_context(d.roundEnd), "error");
    gtk_widget_set_no_show_all(d.roundEnd, TRUE);

    GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 18);
    gtk_container_set_border_width(GTK_CONTAINER(page), 18);
    GtkWidget* sides = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 18);
    gtk_box_pack_start(GTK_BOX(sides), grid, FALSE, FALSE, 0);
    GtkWidget* lists = gtk_box_new(GTK_ORIENTATION_VERTICAL, 12);
    gtk_box_pack_start(GTK_BOX(lists), addBestTen(d, texts), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(lists), addBoardSection(d), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(sides), lists, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(page), sides, TRUE, TRUE, 0);
    GtkWidget* controls = gtk_label_new(texts.controls);
    gtk_label_set_xalign(GTK_LABEL(controls), 0);
    gtk_style_context_add_class(gtk_widget_get_style_context(controls), "dim-label");
    gtk_box_pack_start(GTK_BOX(page), controls, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(page), d.roundEnd, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(page), buttonRow(d, texts), FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(d.window), page);
    allowRows(d);
    showBest(d);
    g_signal_connect(d.bottles, "value-changed", G_CALLBACK(onBottlesChanged), &d);

    // The focus starts on the chosen resolution: the arrow keys change it
    // at once, and Enter plays.
    gtk_widget_show_all(d.window);
    gtk_widget_grab_focus(d.rows[chosenRow(d)]);
    openSetupPads([&d](uint32_t actions) { onPadActions(d, actions); });
    useBoard(d, choice.board);
    gtk_main();

    closeSetupPads();
    d.open.reset();
    gtk_widget_destroy(d.window);
    while (gtk_events_pending()) gtk_main_iteration();
}

void showSetupMessage(const SetupTexts& texts, const std::string& message, bool error) {
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, error ? GTK_MESSAGE_ERROR : GTK_MESSAGE_WARNING,
                                            GTK_BUTTONS_OK, "%s", message.c_str());
    gtk_window_set_title(GTK_WINDOW(box), texts.title);
    // A path in the message: the box as wide as GTK makes its boxes, never more.
    GList* labels = gtk_container_get_children(GTK_CONTAINER(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box))));
    for (GList* label = labels; label != nullptr; label = label->next)
        if (GTK_IS_LABEL(label->data)) gtk_label_set_line_wrap_mode(GTK_LABEL(label->data), PANGO_WRAP_WORD_CHAR);
    g_list_free(labels);
    openMessage = box;
    gtk_dialog_run(GTK_DIALOG(box));
    openMessage = nullptr;
    gtk_widget_destroy(box);
    while (gtk_events_pending()) gtk_main_iteration();
}
