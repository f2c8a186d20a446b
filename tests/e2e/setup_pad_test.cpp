// The GTK settings dialog with a pad alone, in this process on the display
// the harness gives (setup_pad.sh): an SDL virtual game controller, plugged
// in once the dialog shows, moves the resolution and the number of bottles,
// A plays (the round a short child process that sets a new best on its way),
// the A and the up still held from the round do nothing, Start plays again,
// and B closes the dialog. The line beside the bottles shows the best for the
// number chosen and its day; the dialog's line after the first round names
// its new best, and after the second why its choice could not be saved and
// the table, made read-only meanwhile, could not be written. Watch best,
// offered only for bottles whose best round is kept, starts the game with
// that recording; a damaged one is said on the dialog's line instead.

#include <SDL.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <functional>
#include <vector>

#include "core/best_catches.h"
#include "core/daily_round.h"
#include "core/recording.h"
#include "linux/linux_places.h"
#include "setup/gtk/setup_gtk.h"

namespace fs = std::filesystem;

namespace {

// Generous: a loaded machine draws the dialog late.
constexpr int kWaitMs = 60000;

GtkWidget* named(GtkWidget* widget, const char* name) {
    if (g_strcmp0(gtk_widget_get_name(widget), name) == 0) return widget;
    if (!GTK_IS_CONTAINER(widget)) return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget* found = nullptr;
    for (GList* child = children; child != nullptr && found == nullptr; child = child->next)
        found = named(GTK_WIDGET(child->data), name);
    g_list_free(children);
    return found;
}

// The dialog's title in the language the test runs it in.
const char* dialogTitle = "Korvada – settings";

GtkWidget* dialogWindow() {
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* w = windows; w != nullptr; w = w->next)
        if (g_strcmp0(gtk_window_get_title(GTK_WINDOW(w->data)), dialogTitle) == 0) found = GTK_WIDGET(w->data);
    g_list_free(windows);
    return found;
}

bool dialogShown() {
    GtkWidget* window = dialogWindow();
    return window != nullptr && gtk_widget_get_visible(window);
}

std::string labelText(const char* name) {
    GtkWidget* window = dialogWindow();
    GtkWidget* label = window ? named(window, name) : nullptr;
    return label != nullptr && gtk_widget_get_visible(label) ? gtk_label_get_text(GTK_LABEL(label)) : "";
}

// A script of steps on GLib's loop: each waits for its condition, then acts.
struct Step {
    const char* what;
    std::function<bool()> ready;
    std::function<void()> act;
};

// The loop outlives a test, so a script still attached when its test ends
// (the dialog closed before the last step was read) is taken off it then:
// left on, it would run in the next test's loop on a dead stack frame.
struct Script {
    std::vector<Step> steps;
    size_t next = 0;
    gint64 since = 0;
    std::string failure;
    guint source = 0;

    Script() = default;
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;
    ~Script() {
        if (source != 0) g_source_remove(source);
    }
};

gboolean runScript(gpointer data) {
    Script& script = *static_cast<Script*>(data);
    const Step& step = script.steps[script.next];
    if (step.ready()) {
        if (step.act) step.act();
        ++script.next;
        script.since = g_get_monotonic_time();
    } else if (g_get_monotonic_time() - script.since > kWaitMs * 1000LL) {
        script.failure = std::string("gave up waiting for: ") + step.what;
        gtk_main_quit();
        script.source = 0;
        return G_SOURCE_REMOVE;
    }
    if (script.next < script.steps.size()) return G_SOURCE_CONTINUE;
    script.source = 0;
    return G_SOURCE_REMOVE;
}

void start(Script* script) { script->source = g_timeout_add(10, runScript, script); }

TEST(SetupDialogPad, PlaysAgainAndClosesWithAPadAlone) {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display";
    const fs::path folder = fs::path(::testing::TempDir()) / ("korvada_setup_pad_" + std::to_string(getpid()));
    const fs::path catches = folder / "best-catches";
    fs::create_directories(folder);
    std::ofstream(catches) << "korvada best catches\n5 3 2026-12-01\n6 11 2026-12-02\n";

    std::vector<LaunchChoice> rounds;
    std::string notSaved;  // the second round's: a file where its folder should be
    const StartRound play = [&](const LaunchChoice& chosen, const fs::path& watch, RoundKind, std::string* why) -> GPid {
        EXPECT_EQ(watch, fs::path()) << "the pad's A watched";
        rounds.push_back(chosen);
        if (rounds.size() == 2) {
            EXPECT_FALSE(writeSavedCode(catches / "launch-code", savedLine(chosen), diskSteps(), why));
            notSaved = *why;
        }
        // The round: a moment's child process that keeps a new best, as the game does.
        if (rounds.size() == 1) std::ofstream(catches) << "korvada best catches\n5 7 2026-12-09\n";
        char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("0.3"), nullptr};
        GPid pid = 0;
        EXPECT_TRUE(g_spawn_async(nullptr, argv, nullptr,
                                  GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr, nullptr,
                                  &pid, nullptr));
        return pid;
    };

    SDL_Joystick* pad = nullptr;
    const auto button = [&](SDL_GameControllerButton which, bool down) {
        SDL_JoystickSetVirtualButton(pad, which, down ? 1 : 0);
    };
    // What the dialog's last reading of the pads saw: the script itself
    // never updates the pad, so a press counts only once the dialog has read it.
    const auto seen = [&](SDL_GameControllerButton which, bool down) {
        return [&pad, which, down] { return (SDL_JoystickGetButton(pad, which) != 0) == down; };
    };
    const auto after = [](gint64 microseconds) {
        return [microseconds, t = std::make_shared<gint64>(0)] {
            if (*t == 0) *t = g_get_monotonic_time();
            return g_get_monotonic_time() - *t > microseconds;
        };
    };
    // A press the dialog reads and acts on (`done`), let go and read let go.
    const auto tap = [&](const char* what, SDL_GameControllerButton which, std::function<bool()> done) {
        return std::vector<Step>{
            {"a press", [] { return true; }, [&, which] { button(which, true); }},
            {what, [done, down = seen(which, true)] { return down() && done(); }, [&, which] { button(which, false); }},
            {"the button let go", seen(which, false), nullptr},
        };
    };
    const auto rowChosen = [](const char* label) {
        return [label] {
            GtkWidget* window = dialogWindow();
            GtkWidget* row = window ? named(window, label) : nullptr;
            return row != nullptr && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(row));
        };
    };

    Script script;
    script.steps.push_back({"the dialog", dialogShown, [&] {
        SDL_VirtualJoystickDesc desc = {};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        pad = SDL_JoystickOpen(index);
    }});
    script.steps.push_back({"the best for 4 bottles", [] { return labelText("best") == "Best: none kept yet"; }, nullptr});
    const std::pair<SDL_GameControllerButton, std::function<bool()>> moves[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, rowChosen("row-1")},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, rowChosen("row-2")},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, rowChosen("row-1")},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, [] { return labelText("best") == "Best: 3 bubbles (1 Dec 2026)"; }},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, [] { return labelText("best") == "Best: 11 bubbles (2 Dec 2026)"; }},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, [] { return labelText("best") == "Best: 3 bubbles (1 Dec 2026)"; }},
    };
    for (const auto& [which, done] : moves)
        for (Step& step : tap("the d-pad's effect", which, done)) script.steps.push_back(step);
    script.steps.push_back({"A pressed", [] { return true; }, [&] { button(SDL_CONTROLLER_BUTTON_A, true); }});
    // The player steers during the round and still holds up as it ends.
    script.steps.push_back({"the round", [&] { return rounds.size() == 1; },
                            [&] { button(SDL_CONTROLLER_BUTTON_DPAD_UP, true); }});
    script.steps.push_back({"the dialog back", dialogShown, nullptr});
    script.steps.push_back({"the new best said", [] { return labelText("round-end") == "New best: 7 bubbles!"; },
                            nullptr});
    script.steps.push_back({"a second with A held", after(1000000), [&] {
                                EXPECT_EQ(rounds.size(), 1u) << "the A held from the round played again";
                                EXPECT_EQ(labelText("best"), "Best: 7 bubbles (9 Dec 2026)") << "the up held from the round counted";
                                button(SDL_CONTROLLER_BUTTON_A, false);
                                button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
                            }});
    // Another round elsewhere sets a better best meanwhile, and the table is
    // made read-only: the next round here, which beats nothing, is no news,
    // but what could not be written is.
    script.steps.push_back({"A let go", seen(SDL_CONTROLLER_BUTTON_A, false), [&] {
                                std::ofstream(catches) << "korvada best catches\n5 9 2026-12-09\n";
                                fs::permissions(catches, fs::perms::owner_read | fs::perms::group_read);
                            }});
    for (Step& step : tap("the second round", SDL_CONTROLLER_BUTTON_START, [&] { return rounds.size() == 2; }))
        script.steps.push_back(step);
    script.steps.push_back({"the dialog back again", dialogShown, [&] {
                                EXPECT_EQ(labelText("round-end"), "The settings cannot be saved: " + notSaved +
                                                                      "\nThe best catches cannot be kept: " +
                                                                      catches.string() + " is read-only");
                                EXPECT_NE(notSaved.find("cannot create"), std::string::npos) << notSaved;
                                EXPECT_EQ(labelText("best"), "Best: 9 bubbles (9 Dec 2026)");
                            }});
    script.steps.push_back({"B pressed", [] { return true; }, [&] { button(SDL_CONTROLLER_BUTTON_B, true); }});
    start(&script);

    LaunchChoice choice;
    ASSERT_TRUE(parseLaunchCode("0TYAY", &choice.settings));
    runSetupDialog(setupTexts(languageOf("en")), everyRow(), choice, play, catches);

    EXPECT_EQ(script.failure, "");
    EXPECT_EQ(script.next, script.steps.size()) << "B closed the dialog before the script was done";
    ASSERT_EQ(rounds.size(), 2u);
    // Right twice and left once: the row after the first; up twice and down once: 5 bottles.
    for (const LaunchChoice& round : rounds) {
        EXPECT_EQ(round.settings.resolutionIndex, 1);
        EXPECT_EQ(bottlesToLay(round.settings), 5);
        EXPECT_TRUE(round.fullScreen);
    }
    if (pad != nullptr) SDL_JoystickClose(pad);
    fs::remove_all(folder);
}

// Where a window lies on the screen, its frame included, and the screen's size.
GdkRectangle frameOf(GtkWidget* window) {
    GdkRectangle frame{};
    gdk_window_get_frame_extents(gtk_widget_get_window(window), &frame);
    return frame;
}
GdkRectangle screenOf(GtkWidget* window) {
    GdkRectangle screen{};
    gdk_monitor_get_geometry(gdk_display_get_monitor_at_window(gtk_widget_get_display(window),
                                                               gtk_widget_get_window(window)), &screen);
    return screen;
}

// Watch best and the list of the ten best for the bottles chosen, the
// dialog driven by its own widgets,
// in Czech, its table in a folder whose long name has no blank: offered only
// for a round the game plays, and a round damaged since refused on the
// dialog's line in Czech, the line wrapped inside a dialog that stays on the
// screen (1024 × 768), Play in reach. Today's round plays under the name
// typed, and the day's new best shows beside it once it is over.
TEST(SetupDialog, WatchBestOffersOnlyAPlayableRoundAndSaysARefusalInCzechOnAScreensWidth) {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display";
    const fs::path top = fs::path(::testing::TempDir()) / ("korvada_setup_watch_" + std::to_string(getpid()));
    const fs::path folder = top / ("korvada-" + std::string(180, 'x')) / std::string(60, 'y');
    const fs::path catches = folder / "best-catches";
    fs::create_directories(folder);
    const std::string today = dayText(todayUtc(std::time(nullptr)));
    std::ofstream(catches) << "korvada best catches\n5 3 2026-12-01\n6 11 2026-12-02\n7 2 2026-12-03\n"
                              "5 2 2026-12-04 1 Jana Nováková\n5 1 2026-12-05 2\nday " + today + " 9 Eva\n";
    RoundRecording kept;
    kept.randomState = 7;
    kept.bottles = 5;
    kept.bubbles = 20;
    kept.gameVersion = "1.3.0";
    kept.frameSeconds = {0.02f, 0.02f};
    const fs::path round5 = bestRoundFile(catches, 5);
    std::string bytes = recordingBytes(kept);
    std::ofstream(round5, std::ios::binary) << bytes;
    std::ofstream(bestRoundFile(catches, 7), std::ios::binary) << "not a round";
    // The second row's round is kept too, the third's is not.
    const fs::path second5 = bestRoundFile(catches, 5, 1);
    std::ofstream(second5, std::ios::binary) << bytes;

    std::vector<std::pair<LaunchChoice, fs::path>> rounds;
    std::vector<RoundKind> kinds;
    const StartRound play = [&](const LaunchChoice& chosen, const fs::path& watch, RoundKind kind, std::string*) -> GPid {
        rounds.emplace_back(chosen, watch);
        kinds.push_back(kind);
        // Today's round catches a day's best while it plays.
        if (kind == DailyRound) std::ofstream(catches, std::ios::app) << "day " << today << " 12 " << chosen.name << "\n";
        char* argv[] = {const_cast<char*>("true"), nullptr};
        GPid pid = 0;
        EXPECT_TRUE(g_spawn_async(nullptr, argv, nullptr, GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD),
                                  nullptr, nullptr, &pid, nullptr));
        return pid;
    };
    const auto widget = [](const char* name) {
        GtkWidget* window = dialogWindow();
        return window != nullptr ? named(window, name) : nullptr;
    };
    const auto bottles = [widget](int count) {
        gtk_spin_button_set_value(GTK_SPIN_BUTTON(widget("bottles")), count);
    };
    const auto offered = [widget] { return gtk_widget_is_sensitive(widget("watch")) != FALSE; };
    // The list's rows as a player reads them: place, bubbles, day, name, and
    // whether its Watch is offered.
    const auto listed = [widget] {
        std::vector<std::string> rows;
        GtkGrid* list = GTK_GRID(widget("best-ten"));
        for (int top = 0; gtk_grid_get_child_at(list, 0, top) != nullptr || top == 0; ++top) {
            std::string row;
            for (int column = 0; column < 4; ++column)
                if (GtkWidget* cell = gtk_grid_get_child_at(list, column, top))
                    row += std::string(column ? " | " : "") + gtk_label_get_text(GTK_LABEL(cell));
            // Watch, and Save round… under it for a round kept.
            if (GtkWidget* buttons = gtk_grid_get_child_at(list, 4, top)) {
                GList* children = gtk_container_get_children(GTK_CONTAINER(buttons));
                for (GList* child = children; child != nullptr; child = child->next) {
                    GtkWidget* button = GTK_WIDGET(child->data);
                    const std::string text = gtk_button_get_label(GTK_BUTTON(button));
                    row += gtk_widget_is_sensitive(button) ? " [" + text + "]" : " [—]";
                }
                g_list_free(children);
            }
            rows.push_back(row);
            if (gtk_grid_get_child_at(list, 0, top) == nullptr) break;
        }
        return rows;
    };
    // The line shown and the window laid out around it: its size on the
    // screen the one GTK gave it, the same twice in a row.
    auto lastFrame = std::make_shared<GdkRectangle>();
    const auto laidOut = [widget, lastFrame] {
        GtkWidget* line = widget("round-end");
        if (line == nullptr || !gtk_widget_get_mapped(line) || gtk_widget_get_allocated_height(line) <= 1) return false;
        const GdkRectangle frame = frameOf(dialogWindow());
        const bool settled = frame.width == lastFrame->width && frame.height == lastFrame->height &&
                             gdk_window_get_width(gtk_widget_get_window(dialogWindow())) ==
                                 gtk_widget_get_allocated_width(dialogWindow());
        *lastFrame = frame;
        return settled;
    };

    Script script;
    script.steps.push_back({"the dialog", dialogShown, [&] {
                                EXPECT_EQ(labelText("best"), "Nejlepší: 3 bubliny (1. 12. 2026)");
                                EXPECT_EQ(labelText("today-best"), "Dnes: 9 bublin");
                                EXPECT_TRUE(offered()) << "5 bottles: their round is kept";
                                EXPECT_EQ(listed(), (std::vector<std::string>{
                                                        "1. | 3 bubliny | 1. 12. 2026 | — [Přehrát] [_Uložit kolo…]",
                                                        "2. | 2 bubliny | 4. 12. 2026 | Jana Nováková [Přehrát] [_Uložit kolo…]",
                                                        "3. | 1 bublina | 5. 12. 2026 | — [—]"}))
                                    << "the best first, each Watch and Save round… only for a round kept";
                                bottles(6);
                                EXPECT_EQ(listed(), std::vector<std::string>{"1. | 11 bublin | 2. 12. 2026 | — [—]"});
                                bottles(8);
                                EXPECT_EQ(listed(), std::vector<std::string>{" | Zatím žádné kolo s tolika lahvemi."});
                                EXPECT_FALSE(offered()) << "6 bottles: a best but no round kept";
                                bottles(7);
                                EXPECT_FALSE(offered()) << "7 bottles: a file the game would not play";
                                bottles(5);
                                gtk_button_clicked(GTK_BUTTON(widget("watch-2")));
                            }});
    script.steps.push_back({"the watched round", [&] { return !rounds.empty(); }, nullptr});
    script.steps.push_back({"the dialog back", dialogShown, [&] {
                                EXPECT_EQ(labelText("round-end"), "") << "a watched round is no news";
                                bytes.back() ^= 0x55;
                                std::ofstream(round5, std::ios::binary) << bytes;
                                gtk_button_clicked(GTK_BUTTON(widget("watch")));
                                EXPECT_TRUE(dialogShown());
                                EXPECT_EQ(labelText("round-end"),
                                          "Nejlepší kolo nelze přehrát: " + round5.string() + ": záznam je poškozený");
                                EXPECT_FALSE(offered()) << "the damaged round is still offered";
                            }});
    script.steps.push_back({"the dialog laid out around its line", laidOut, [&] {
                                GtkWidget* window = dialogWindow();
                                const GdkRectangle frame = frameOf(window), screen = screenOf(window);
                                EXPECT_GE(frame.x, screen.x) << "the dialog starts left of the screen";
                                EXPECT_LE(frame.x + frame.width, screen.x + screen.width)
                                    << "the dialog is " << frame.width << " px wide from x = " << frame.x;
                                int right = 0, bottom = 0;
                                GtkWidget* playButton = widget("play");
                                gtk_widget_translate_coordinates(playButton, window, gtk_widget_get_allocated_width(playButton),
                                                                 gtk_widget_get_allocated_height(playButton), &right, &bottom);
                                int x = 0, y = 0;
                                gdk_window_get_origin(gtk_widget_get_window(window), &x, &y);
                                EXPECT_LE(x + right, screen.x + screen.width) << "Play is off the screen";
                                EXPECT_LE(y + bottom, screen.y + screen.height) << "Play is off the screen";
                                std::printf("the dialog with its line: %d x %d at %d, %d on a %d x %d screen\n",
                                            frame.width, frame.height, frame.x, frame.y, screen.width, screen.height);
                                if (const char* shots = std::getenv("KORVADA_SETUP_SHOTS")) {
                                    const std::string command =
                                        "import -window root png:" + std::string(shots) + "/linux-dialog-long-line.png";
                                    EXPECT_EQ(std::system(command.c_str()), 0) << command;
                                    const std::string list = "import -window root png:" + std::string(shots) + "/best-ten-gtk.png";
                                    EXPECT_EQ(std::system(list.c_str()), 0) << list;
                                }
                                gtk_entry_set_text(GTK_ENTRY(widget("name")), "Jana");
                                gtk_button_clicked(GTK_BUTTON(widget("today")));
                            }});
    // Back after today's round: the day's new best beside it, and said.
    script.steps.push_back({"the dialog back after today's round", [&] { return rounds.size() == 2 && dialogShown(); }, [&] {
                                EXPECT_EQ(labelText("today-best"), "Dnes: 12 bublin");
                                EXPECT_EQ(labelText("round-end"), "Nový rekord: 12 bublin!");
                                gtk_button_clicked(GTK_BUTTON(widget("close")));
                            }});
    start(&script);

    LaunchChoice choice;
    ASSERT_TRUE(parseLaunchCode("0TYAY", &choice.settings));
    chooseBottles(&choice.settings, 5);
    choice.fullScreen = false;
    dialogTitle = "Korvada – nastavení";
    runSetupDialog(setupTexts(languageOf("cs")), everyRow(), choice, play, catches);
    dialogTitle = "Korvada – settings";

    EXPECT_EQ(script.failure, "");
    EXPECT_EQ(script.next, script.steps.size());
    ASSERT_EQ(rounds.size(), 2u) << "the damaged recording was handed to the game";
    EXPECT_EQ(rounds[0].second, second5) << "the second row's Watch plays the second row's round";
    EXPECT_EQ(kinds[1], DailyRound);
    EXPECT_EQ(rounds[1].first.name, "Jana");
    EXPECT_TRUE(rounds[1].second.empty());
    EXPECT_EQ(bottlesToLay(rounds[0].first.settings), 5);
    EXPECT_FALSE(rounds[0].first.fullScreen);
    fs::remove_all(top);
}

}  // namespace
