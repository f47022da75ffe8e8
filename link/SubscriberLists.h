// Handling of the subscriber lists and the object list in memory: the sort that
// keeps the selected entry selected, deleting the selected entry, and the texts the
// list windows show.
#pragma once
#include <cstdint>
#include <string>

#include "link/LinkSettings.h"

namespace zul {

// Upper case of one Windows-1251 character (Latin and Cyrillic letters).
uint8_t Cp1251Upper(uint8_t c);
// Compares two cp1251 texts after both are turned to upper case, byte by byte as
// unsigned values: < 0, 0, > 0.
int CompareTextsUpper(const std::string& a, const std::string& b);

// Sort by the list's sort mode (objects: always by name). Entries with equal keys
// keep their order; the entry selected before stays selected (the last entry with
// its name when several share it). Lists of fewer than two entries are left alone.
void SortSubscribers(TelephoneSubscriberList& list);
void SortSubscribers(EthernetSubscriberList& list);
void SortObjects(ObjectList& list);

// Removes the selected entry: later entries move up one place, the freed last
// entry is zeroed, the selected index goes down by one unless it is 0, the count
// goes down by one. False (nothing changed) for an empty list.
bool DeleteSelected(TelephoneSubscriberList& list);
bool DeleteSelected(EthernetSubscriberList& list);
bool DeleteSelected(ObjectList& list);

// "192.168.1.10" from the stored bytes (last octet first).
std::string DottedIp(const EthernetSubscriber& s);
// "192.168.1.10:502", the cell of the subscriber list.
std::string IpPortText(const EthernetSubscriber& s);

}  // namespace zul
