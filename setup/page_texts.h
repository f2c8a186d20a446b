#pragma once
// The languages' table as the page reads it: JSON, made into the page when
// the browser's program is built (shell/web/page_texts_tool.cpp), so that the
// page speaks its language from its first moment, before its program has
// loaded, and when it cannot load at all. No platform header here.

#include <string>

// [{"code":"en","texts":{"resolution":"Resolution",…}}, …], the languages in
// the table's order (the first for a browser whose language none names).
// The texts by the names the page's script knows them by: the dialogs'
// labels without their mnemonic's '_' or closing ':', and every line of the
// page's own.
std::string pageTextsJson();
