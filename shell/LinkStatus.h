// The texts of the link panels of the status bars for the current link settings.
#pragma once
#include <string>

#include "link/LinkSettings.h"

namespace zul {

struct LinkStatusTexts {
    std::string panel0;  // " COM%d,   %d бит/с" (direct and telephone kinds)
    std::string panel1;  // " Адр. %d"
    std::string second;  // telephone: " %s (тел. %s)"; Ethernet: " %s (IP-адр. %d.%d.%d.%d)"
};
// UTF-8 texts (subscriber names and numbers converted from cp1251).
LinkStatusTexts LinkStatusFor(const LinkSettings& settings);

}  // namespace zul
