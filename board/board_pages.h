#pragma once
// What the board shows people: the day's page and a round's page, in Czech
// or English as the browser asks, and the day's JSON. Every name is escaped
// where it is shown.

#include <cstdint>
#include <string>
#include <vector>

#include "board/board_store.h"
#include "setup/setup_texts.h"

// The language of an Accept-Language header: of the languages' table, the
// one the browser likes best; the table's first (English) when it likes
// none of them (no header, no language of ours, q=0).
const Language& pageLanguage(const std::string& acceptLanguage);

// Text for an HTML element or a quoted attribute.
std::string escapeHtml(const std::string& text);

std::string dayPage(const Language& language, int32_t day, int32_t today, const std::vector<ListedRound>& rounds);
std::string roundPage(const Language& language, const StoredRound& round);
std::string notFoundPage(const Language& language);
// {"day":"2026-12-10","rounds":[{"id":…,"name":…,"bubbles":N,"when":"…Z"},…]}
std::string dayJson(int32_t day, const std::vector<ListedRound>& rounds);
// The address in the game's page that plays a round kept here.
std::string watchAddress(const std::string& id);
