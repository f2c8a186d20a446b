// Prints the languages' table as the page reads it (setup/page_texts.h): run
// under node by the web build, which puts it into index.html
// (page_texts.cmake).

#include <cstdio>

#include "setup/page_texts.h"

int main() { return std::fputs(pageTextsJson().c_str(), stdout) >= 0 ? 0 : 1; }
