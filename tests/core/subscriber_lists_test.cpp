#include <gtest/gtest.h>

#include <vector>

#include "link/SubscriberLists.h"
#include "tables/Stringi.h"

namespace zul {
namespace {

void AddPhone(TelephoneSubscriberList& l, const std::string& utf8Name, const std::string& phone, uint8_t addr = 1) {
    TelephoneSubscriber& s = l.entries[l.count++];
    SetText(s.name, Utf8ToCp1251(utf8Name));
    SetText(s.phone, phone);
    s.address = addr;
}

void AddEth(EthernetSubscriberList& l, const std::string& name, uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    EthernetSubscriber& s = l.entries[l.count++];
    SetText(s.name, name);
    s.ip = {d, c, b, a};  // last octet first
}

template <class List>
std::vector<std::string> Names(const List& l) {
    std::vector<std::string> v;
    for (int i = 0; i < l.count; ++i) v.push_back(Cp1251ToUtf8(TextOf(l.entries[size_t(i)].name)));
    return v;
}

using V = std::vector<std::string>;

TEST(SubscriberSort, TelephoneByNameIgnoresCaseAndByNumberFollowsTheTexts) {
    TelephoneSubscriberList l;
    AddPhone(l, "b", "100");
    AddPhone(l, "A", "20");
    l.selected = 0;  // "b"
    SortSubscribers(l);
    EXPECT_EQ(Names(l), (V{"A", "b"}));
    EXPECT_EQ(l.selected, 1);  // "b" stays selected
    l.sortMode = kSortByNumber;
    SortSubscribers(l);
    EXPECT_EQ(Names(l), (V{"b", "A"}));  // "100" < "20" as texts
    EXPECT_EQ(l.selected, 0);
}

TEST(SubscriberSort, CyrillicUpperCaseInTheWindowsCharacterSet) {
    TelephoneSubscriberList l;
    AddPhone(l, "в", "1");
    AddPhone(l, "Б", "2");
    AddPhone(l, "а", "3");
    AddPhone(l, "ёж", "4");
    AddPhone(l, "Ёж", "5");
    SortSubscribers(l);
    // Ё (0xA8) comes before А (0xC0) byte by byte; ё and Ё are equal keys and keep their order.
    EXPECT_EQ(Names(l), (V{"ёж", "Ёж", "а", "Б", "в"}));
    EXPECT_EQ(Cp1251Upper(0xE0), 0xC0);  // а
    EXPECT_EQ(Cp1251Upper(0xFF), 0xDF);  // я
    EXPECT_EQ(Cp1251Upper(0xB3), 0xB2);  // і
    EXPECT_EQ(Cp1251Upper('z'), 'Z');
    EXPECT_EQ(Cp1251Upper(0xB9), 0xB9);  // № has no case
    EXPECT_LT(CompareTextsUpper("ab", "abc"), 0);
    EXPECT_EQ(CompareTextsUpper("\xE0\xE1", "\xC0\xC1"), 0);
}

TEST(SubscriberSort, EthernetByAddressIsNumeric) {
    EthernetSubscriberList l;
    AddEth(l, "ten", 10, 0, 0, 2);
    AddEth(l, "nine", 9, 255, 255, 255);
    AddEth(l, "high", 192, 168, 1, 10);
    l.sortMode = kSortByNumber;
    l.selected = 2;
    SortSubscribers(l);
    EXPECT_EQ(Names(l), (V{"nine", "ten", "high"}));
    EXPECT_EQ(l.selected, 2);
    EXPECT_EQ(IpPortText(l.entries[0]), "9.255.255.255:0");
}

TEST(SubscriberSort, AddedEntryMovesToItsPlaceAndStaysSelected) {
    TelephoneSubscriberList l;
    AddPhone(l, "А", "1");
    AddPhone(l, "В", "2");
    // "Добавить": the entry after the last is filled, selected, counted, then drawn.
    l.selected = l.count;
    AddPhone(l, "Б", "3");
    SortSubscribers(l);
    EXPECT_EQ(Names(l), (V{"А", "Б", "В"}));
    EXPECT_EQ(l.selected, 1);
}

TEST(SubscriberSort, EqualKeysKeepTheirOrderAndTheLastSameNameIsSelected) {
    EthernetSubscriberList l;
    AddEth(l, "x", 3, 0, 0, 0);
    AddEth(l, "x", 1, 0, 0, 0);
    AddEth(l, "a", 2, 0, 0, 0);
    l.selected = 0;  // the first "x"
    SortSubscribers(l);
    EXPECT_EQ(Names(l), (V{"a", "x", "x"}));
    EXPECT_EQ(l.entries[1].ip[3], 3);  // the earlier "x" first
    EXPECT_EQ(l.entries[2].ip[3], 1);
    EXPECT_EQ(l.selected, 2);  // the last position holding that name
    // A single entry is not touched.
    EthernetSubscriberList one;
    AddEth(one, "z", 1, 2, 3, 4);
    one.selected = 0;
    const EthernetSubscriberList before = one;
    SortSubscribers(one);
    EXPECT_TRUE(one == before);
}

TEST(SubscriberDelete, SelectionMovesAsTheListShrinks) {
    TelephoneSubscriberList l;
    AddPhone(l, "a", "1");
    AddPhone(l, "b", "2");
    AddPhone(l, "c", "3");
    l.selected = 0;
    ASSERT_TRUE(DeleteSelected(l));
    EXPECT_EQ(Names(l), (V{"b", "c"}));
    EXPECT_EQ(l.selected, 0);  // the new first one
    EXPECT_TRUE(l.entries[2] == TelephoneSubscriber{});  // freed last entry zeroed

    TelephoneSubscriberList m;
    AddPhone(m, "a", "1");
    AddPhone(m, "b", "2");
    AddPhone(m, "c", "3");
    m.selected = 2;
    ASSERT_TRUE(DeleteSelected(m));
    EXPECT_EQ(Names(m), (V{"a", "b"}));
    EXPECT_EQ(m.selected, 1);  // the new last one

    TelephoneSubscriberList empty;
    EXPECT_FALSE(DeleteSelected(empty));
    EXPECT_EQ(empty.count, 0);
}

TEST(ObjectList, AlwaysSortedByNameAndDeletedLikeSubscribers) {
    ObjectList l;
    for (const char* n : {"Узел 3", "узел 1", "ГРС", "Узел 2"}) SetText(l.entries[l.count++].name, Utf8ToCp1251(n));
    l.selected = 1;  // "узел 1"
    SortObjects(l);
    EXPECT_EQ(Names(l), (V{"ГРС", "узел 1", "Узел 2", "Узел 3"}));
    EXPECT_EQ(l.selected, 1);
    l.selected = 3;
    ASSERT_TRUE(DeleteSelected(l));
    EXPECT_EQ(Names(l), (V{"ГРС", "узел 1", "Узел 2"}));
    EXPECT_EQ(l.selected, 2);
    EXPECT_TRUE(l.entries[3] == ObjectEntry{});
}

}  // namespace
}  // namespace zul
