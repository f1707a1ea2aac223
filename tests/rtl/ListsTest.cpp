// The checked list and the string list.
#include <gtest/gtest.h>

#include <string>

#include "rtl/Lists.h"
#include "rtl/StringList.h"

namespace {

template <typename F> std::string ErrorOf(F&& f, std::string* className = nullptr) {
    try {
        f();
    } catch (const rtl::Exception& e) {
        if (className) *className = e.className();
        return e.message();
    }
    return "<no error>";
}

TEST(List, BadIndicesRaiseListErrorNamingTheIndex) {
    rtl::List<int*> list;
    int a = 1, b = 2;
    std::string cls;
    EXPECT_EQ(ErrorOf([&] { list.Items(0); }, &cls), "List index out of bounds (0)");
    EXPECT_EQ(cls, "EListError");
    list.Add(&a);
    EXPECT_EQ(ErrorOf([&] { list.Items(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(ErrorOf([&] { list.Delete(1); }), "List index out of bounds (1)");
    EXPECT_EQ(ErrorOf([&] { list.Insert(2, &b); }), "List index out of bounds (2)");
    EXPECT_EQ(ErrorOf([&] { list.Exchange(0, 5); }), "List index out of bounds (5)");
    EXPECT_EQ(ErrorOf([&] { list.Move(3, 0); }), "List index out of bounds (3)");
    EXPECT_EQ(ErrorOf([&] { list.SetItem(1, &b); }), "List index out of bounds (1)");
    list.Insert(1, &b);  // Count itself appends
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Last(), &b);
    EXPECT_EQ(rtl::List<int>().Empty(), true);
    EXPECT_EQ(ErrorOf([&] { rtl::List<int>().Last(); }), "List index out of bounds (-1)");
}

TEST(List, EditingKeepsOrderAndIdentity) {
    rtl::List<int> list;
    for (int v : {5, 3, 9, 3, 1}) list.Add(v);
    EXPECT_EQ(list.IndexOf(3), 1);
    EXPECT_EQ(list.Remove(3), 1);  // the first of the equal ones
    EXPECT_EQ(list.IndexOf(3), 2);
    EXPECT_EQ(list.Remove(42), -1);
    list.Move(0, 3);  // 9 3 1 5
    EXPECT_EQ(list.Snapshot(), (std::vector<int>{9, 3, 1, 5}));
    list.Move(3, 0);  // 5 9 3 1
    list.Exchange(0, 3);
    EXPECT_EQ(list.Snapshot(), (std::vector<int>{1, 9, 3, 5}));
    list.Sort([](int x, int y) { return x - y; });
    EXPECT_EQ(list.Snapshot(), (std::vector<int>{1, 3, 5, 9}));
    list.Delete(0);
    EXPECT_EQ(list[0], 3);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(List, SortIsStable) {
    rtl::List<std::pair<int, char>> list;
    for (auto p : {std::pair{2, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}}) list.Add(p);
    list.Sort([](const auto& x, const auto& y) { return x.first - y.first; });
    std::string order;
    for (const auto& p : list) order += p.second;
    EXPECT_EQ(order, "bdac");
}

TEST(StringList, TextSplitsAtEveryLineBreakKind) {
    rtl::StringList sl;
    sl.SetText("one\r\ntwo\nthree\rfour\n\r\nsix\n");
    EXPECT_EQ(sl.ToVector(), (std::vector<std::string>{"one", "two", "three", "four", "", "six"}));
    EXPECT_EQ(sl.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n\r\nsix\r\n");
    sl.SetText("\n\r");  // LF then CR: two line breaks
    EXPECT_EQ(sl.Count(), 2);
    sl.SetText("");
    EXPECT_EQ(sl.Count(), 0);
    sl.SetText(std::string("a\0b", 3));  // a NUL is an ordinary byte
    EXPECT_EQ(sl[0].size(), 3u);
}

TEST(StringList, IndexOfAndNamesUseTheFold) {
    rtl::StringList sl;
    sl.Add("Alpha=1");
    sl.Add("\xB8\xEB\xEA\xE0=2");  // "ёлка"
    sl.Add("noequals");
    EXPECT_EQ(sl.IndexOf("ALPHA=1"), 0);
    EXPECT_EQ(sl.IndexOfName("\xA8\xCB\xCA\xC0"), 1);  // "ЁЛКА"
    EXPECT_EQ(sl.Values("alpha"), "1");
    EXPECT_EQ(sl.Values("noequals"), "");
    EXPECT_EQ(sl.Names(2), "");
    sl.SetValue("ALPHA", "x=y");
    EXPECT_EQ(sl[0], "ALPHA=x=y");
    EXPECT_EQ(sl.ValueFromIndex(0), "x=y");
    sl.SetValue("beta", "3");
    EXPECT_EQ(sl[3], "beta=3");
    sl.SetValue("\xA8\xCB\xCA\xC0", "");  // empty value removes
    EXPECT_EQ(sl.Count(), 3);
    EXPECT_EQ(sl.IndexOfName("\xA8\xCB\xCA\xC0"), -1);
}

TEST(StringList, SortedListsFindAndGuardTheirOrder) {
    rtl::StringList sl;
    sl.SetSorted(true);
    for (const char* s : {"delta", "Bravo", "alpha", "Charlie", "\xDF", "\xE0"}) sl.Add(s);
    EXPECT_EQ(sl.ToVector(),
              (std::vector<std::string>{"alpha", "Bravo", "Charlie", "delta", "\xE0", "\xDF"}));
    int index = -1;
    EXPECT_TRUE(sl.Find("CHARLIE", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(sl.Find("bz", index));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(sl.IndexOf("ALPHA"), 0);
    EXPECT_EQ(sl.Add("ALPHA"), 0);  // dupIgnore answers the existing one
    EXPECT_EQ(sl.Count(), 6);

    std::string cls;
    EXPECT_EQ(ErrorOf([&] { sl.Insert(0, "x"); }, &cls), "Operation not allowed on sorted string list");
    EXPECT_EQ(cls, "EStringListError");
    EXPECT_EQ(ErrorOf([&] { sl.Exchange(0, 1); }), "Operation not allowed on sorted string list");

    sl.SetDuplicates(rtl::dupError);
    EXPECT_EQ(ErrorOf([&] { sl.Add("bravo"); }, &cls), "String list does not allow duplicates");
    EXPECT_EQ(cls, "EStringListError");
    EXPECT_EQ(sl.Count(), 6);

    sl.SetDuplicates(rtl::dupAccept);
    EXPECT_EQ(sl.AddObject("BRAVO", 7), 2);  // after the equal one
    EXPECT_TRUE(sl.Find("bravo", index));
    EXPECT_EQ(index, 1);  // Find answers the first
    EXPECT_EQ(sl.ObjectAs<int>(2), 7);
}

TEST(StringList, ObjectsAreTypeChecked) {
    rtl::StringList sl;
    int target = 0;
    sl.AddObject("p", &target);
    sl.Add("none");
    sl.AddObject("n", 12);
    EXPECT_EQ(sl.ObjectAs<int*>(0), &target);
    EXPECT_EQ(sl.ObjectAs<int*>(1), nullptr);
    EXPECT_EQ(sl.ObjectAs<int>(1), 0);
    std::string cls;
    ErrorOf([&] { sl.ObjectAs<long*>(0); }, &cls);
    EXPECT_EQ(cls, "EInvalidCast");
    EXPECT_EQ(sl.IndexOfObject(12), 2);
    EXPECT_EQ(sl.IndexOfObject(&target), 0);
    EXPECT_EQ(sl.IndexOfObject(13), -1);
    sl.Move(0, 2);
    EXPECT_EQ(sl.ObjectAs<int*>(2), &target);  // objects travel with their texts
    EXPECT_EQ(ErrorOf([&] { sl.Objects(3); }), "List index out of bounds (3)");
}

TEST(StringList, CommaTextQuotesWhatNeedsIt) {
    rtl::StringList sl;
    for (const char* s : {"plain", "two words", "say \"hi\"", "a,b", ""}) sl.Add(s);
    EXPECT_EQ(sl.CommaText(), "plain,\"two words\",\"say \"\"hi\"\"\",\"a,b\",\"\"");
    rtl::StringList back;
    back.SetCommaText(sl.CommaText());
    EXPECT_EQ(back.ToVector(), sl.ToVector());  // the trailing empty item included
    back.SetCommaText("  one two ,\"th\"\"ree\" , four,");
    EXPECT_EQ(back.ToVector(), (std::vector<std::string>{"one", "two", "th\"ree", "four"}));
    back.SetCommaText("\"unterminated");
    EXPECT_EQ(back.ToVector(), (std::vector<std::string>{"unterminated"}));
    rtl::StringList empty;
    empty.Add("");
    EXPECT_EQ(empty.CommaText(), "\"\"");
}

}  // namespace

#include <unistd.h>

#include <filesystem>

#include "rtl/Streams.h"

namespace {

TEST(StringList, StreamsAndFilesKeepTheBytes) {
    rtl::StringList sl;
    sl.SetText("\xCF\xF0\xE8\xE2\xE5\xF2\nsecond");  // 1251 bytes pass untouched
    rtl::MemoryStream m;
    sl.SaveToStream(m);
    EXPECT_EQ(m.Size(), 16);
    m.SetPosition(0);
    rtl::StringList back;
    back.LoadFromStream(m);
    EXPECT_EQ(back.ToVector(), sl.ToVector());

    const std::string file =
        (std::filesystem::temp_directory_path() / ("sl_" + std::to_string(getpid()) + ".txt")).string();
    sl.SaveToFile(file);
    rtl::StringList fromFile;
    fromFile.LoadFromFile(file);
    EXPECT_EQ(fromFile.ToVector(), sl.ToVector());
    std::filesystem::remove(file);
    EXPECT_THROW(fromFile.LoadFromFile(file), rtl::EFOpenError);
}

}  // namespace
