#include "shell/LinkStatus.h"

#include <cstdio>

#include "tables/Stringi.h"

namespace zul {

namespace {
std::string PortSpeed(const LinkParams& p) {
    char buf[96];
    std::snprintf(buf, sizeof buf, " COM%d,   %u бит/с", int(p.port), unsigned(p.speed));
    return buf;
}
std::string Address(int address) {
    char buf[32];
    std::snprintf(buf, sizeof buf, " Адр. %d", address);
    return buf;
}
template <class List>
const auto* Selected(const List& list) {
    if (list.count == 0) return static_cast<decltype(&list.entries[0])>(nullptr);
    int i = list.selected < list.count ? list.selected : list.count - 1;
    if (i >= int(list.entries.size())) i = int(list.entries.size()) - 1;
    return &list.entries[size_t(i)];
}
}  // namespace

LinkStatusTexts LinkStatusFor(const LinkSettings& s) {
    LinkStatusTexts t;
    switch (s.current.connectionKind) {
    case 0:
        t.panel0 = PortSpeed(s.direct);
        t.panel1 = Address(s.direct.address);
        break;
    case 1:
        if (const TelephoneSubscriber* sub = Selected(s.phone.subscribers)) {
            t.panel0 = PortSpeed(s.phone.params);
            t.panel1 = Address(sub->address);
            t.second = " " + Cp1251ToUtf8(TextOf(sub->name)) + " (тел. " + Cp1251ToUtf8(TextOf(sub->phone)) + ")";
        }
        break;
    case 2:
        if (const EthernetSubscriber* sub = Selected(s.ethernet.subscribers)) {
            t.panel1 = Address(sub->address);
            char ip[48];
            std::snprintf(ip, sizeof ip, " (IP-адр. %d.%d.%d.%d)", sub->ip[3], sub->ip[2], sub->ip[1], sub->ip[0]);
            t.second = " " + Cp1251ToUtf8(TextOf(sub->name)) + ip;
        }
        break;
    default: break;
    }
    return t;
}

}  // namespace zul
