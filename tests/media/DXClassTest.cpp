// Media base helpers: the name-hashed collection, the angle tables, the library cache.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "media/DXClass.h"

namespace {

using media::THashCollection;
using media::THashCollectionItem;

THashCollectionItem* AddNamed(THashCollection& c, const std::string& name) {
    auto* item = static_cast<THashCollectionItem*>(c.Add());
    item->SetName(name);
    return item;
}

TEST(HashCollection, HashOfShortNamesAndCaseVariantsShareABucket) {
    EXPECT_EQ(media::HashName(""), 0);
    EXPECT_EQ(media::HashName("x"), 16);
    EXPECT_EQ(media::HashName("ab"), (32 + 'a' + 'a') & 255);
    EXPECT_EQ(media::HashName("Ball"), media::HashName("bALL"));
    // "Ёжик" / "ёЖИК": Cyrillic letters fold as well, Ё included.
    EXPECT_EQ(media::HashName("\xA8\xE6\xE8\xEA"), media::HashName("\xB8\xC6\xC8\xCA"));
    EXPECT_EQ(media::HashName("\xAF\xB2"), media::HashName("\xBF\xB3"));  // Ї І / ї і
}

TEST(HashCollection, FindsNamesInAnyCaseAndTracksIndexes) {
    THashCollection c;
    AddNamed(c, "Paddle");
    AddNamed(c, "\xA8\xEB\xEA\xE0");            // "Ёлка"
    AddNamed(c, "\xC3\xE8\xF0\xFF");            // "Гиря"
    AddNamed(c, "\x8A\xF3\xE1");                // "Љуб"
    EXPECT_EQ(c.IndexOf("PADDLE"), 0);
    EXPECT_EQ(c.IndexOf("\xB8\xCB\xCA\xC0"), 1);  // "ёЛКА"
    EXPECT_EQ(c.IndexOf("\xE3\xC8\xD0\xDF"), 2);  // "гИРЯ"
    EXPECT_EQ(c.IndexOf("\x9A\xD3\xC1"), 3);      // "љУБ"
    EXPECT_EQ(c.IndexOf("\xC5\xEB\xEA\xE0"), -1);  // "Елка" is another name
    EXPECT_EQ(c.IndexOf("missing"), -1);
    EXPECT_EQ(c.IndexOf(""), -1);

    delete c.Items(1);  // later items move down one
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.IndexOf("\xA8\xEB\xEA\xE0"), -1);
    EXPECT_EQ(c.IndexOf("\xC3\xE8\xF0\xFF"), 1);
    EXPECT_EQ(c.IndexOf("\x8A\xF3\xE1"), 2);

    c.Items(2)->SetName("Ball");  // renaming re-links
    EXPECT_EQ(c.IndexOf("\x8A\xF3\xE1"), -1);
    EXPECT_EQ(c.IndexOf("BALL"), 2);
    c.Items(2)->SetIndex(0);
    EXPECT_EQ(c.IndexOf("ball"), 0);
    EXPECT_EQ(c.IndexOf("paddle"), 1);
    EXPECT_EQ(c.Find("\xE3\xC8\xD0\xDF"), c.Items(2));
}

TEST(HashCollection, SharedBucketsKeepEveryItemReachable) {
    THashCollection c;
    // Same length, same first and second-to-last letters: one bucket.
    for (const char* n : {"axb", "ayb", "azb", "AXC"}) AddNamed(c, n);
    ASSERT_EQ(c.Items(0)->Bucket(), c.Items(3)->Bucket());
    EXPECT_EQ(c.IndexOf("AYB"), 1);
    c.Delete(1);  // from the middle of the chain
    EXPECT_EQ(c.IndexOf("ayb"), -1);
    EXPECT_EQ(c.IndexOf("axb"), 0);
    EXPECT_EQ(c.IndexOf("azb"), 1);
    EXPECT_EQ(c.IndexOf("axc"), 2);
    c.Delete(2);  // the chain's head (linked last)
    EXPECT_EQ(c.IndexOf("azb"), 1);
    c.Clear();
    EXPECT_EQ(c.IndexOf("axb"), -1);
    AddNamed(c, "again");
    EXPECT_EQ(c.IndexOf("AGAIN"), 0);
}

TEST(HashCollection, AssignCopiesTheNameAndDisplayNameFallsBack) {
    THashCollection c;
    auto* a = AddNamed(c, "First");
    auto* b = static_cast<THashCollectionItem*>(c.Add());
    EXPECT_EQ(b->GetDisplayName(), "THashCollectionItem");
    b->Assign(*a);
    EXPECT_EQ(b->GetDisplayName(), "First");
    EXPECT_EQ(c.IndexOf("first"), 1);  // of equal names, the one linked last heads the chain
    media::TDXCollection plain([](media::TDXCollection* owner) { return new media::TDXCollectionItem(owner); });
    try {
        b->Assign(*plain.Add());
        FAIL();
    } catch (const rtl::EConvertError& e) {
        EXPECT_EQ(e.message(), "Cannot assign a TCollectionItem to a THashCollectionItem");
    }
}

TEST(AngleTables, QuarterTurnsAreExactAndTheTableIsTheCosine) {
    EXPECT_EQ(media::TableSin256(0), 0.0);
    EXPECT_EQ(media::TableSin256(64), 1.0);
    EXPECT_EQ(media::TableCos256(128), -1.0);
    EXPECT_EQ(media::TableSin256(192), -1.0);
    EXPECT_EQ(media::TableCos256(64), 0.0);
    for (int a = 0; a < 256; ++a) {
        const double rad = 2.0 * M_PI * a / 256.0;
        EXPECT_NEAR(media::TableCos256(static_cast<uint8_t>(a)), std::cos(rad), 1e-15) << a;
        EXPECT_NEAR(media::TableSin256(static_cast<uint8_t>(a)), std::sin(rad), 1e-15) << a;
        // Symmetric angles have equal magnitudes, bit for bit.
        EXPECT_EQ(media::TableCos256(static_cast<uint8_t>(a)),
                  media::TableCos256(static_cast<uint8_t>(256 - a)));
    }
}

TEST(LibraryLoader, LoadsCachesAndNamesTheLibraryOnFailure) {
    using CosFn = double (*)(double);
    auto* f = reinterpret_cast<CosFn>(media::DXLoadLibrary("libm.so.6", "cos"));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f(0.0), 1.0);
    // The cache is keyed by the lower-cased name: this spelling finds the loaded module.
    EXPECT_EQ(media::DXLoadLibrary("LIBM.SO.6", "cos"), reinterpret_cast<void*>(f));
    try {
        media::DXLoadLibrary("libm.so.6", "no_such_procedure");
        FAIL();
    } catch (const rtl::Exception& e) {
        EXPECT_STREQ(e.className(), "Exception");
        EXPECT_EQ(e.message(), "libm.so.6 not loaded");
    }
    try {
        media::DXLoadLibrary("libDoesNotExist.so", "x");
        FAIL();
    } catch (const rtl::Exception& e) {
        EXPECT_EQ(e.message(), "libDoesNotExist.so not loaded");
    }
    media::FreeLibList();
    EXPECT_THROW(media::DXLoadLibrary("LIBM.SO.6", "cos"), rtl::Exception);  // cache emptied
    EXPECT_NE(media::DXLoadLibrary("libm.so.6", "cos"), nullptr);
}

TEST(Rectangles, EdgesOfPointInRectAndOverlap) {
    const rtl::TRect r = rtl::Rect(10, 20, 30, 40);
    EXPECT_TRUE(media::PointInRect({30, 40}, r));
    EXPECT_TRUE(media::PointInRect({10, 20}, r));
    EXPECT_FALSE(media::PointInRect({31, 40}, r));
    EXPECT_FALSE(media::PointInRect({10, 19}, r));
    EXPECT_FALSE(media::OverlapRect(r, rtl::Rect(30, 20, 50, 40)));  // shared edge
    EXPECT_FALSE(media::OverlapRect(r, rtl::Rect(10, 40, 30, 60)));
    EXPECT_TRUE(media::OverlapRect(r, rtl::Rect(29, 39, 50, 60)));
    EXPECT_TRUE(media::OverlapRect(rtl::Rect(0, 0, 100, 100), r));  // containment
    EXPECT_EQ(media::Max(-3, 2), 2);
    EXPECT_EQ(media::Min(-3, 2), -3);
}

TEST(DirectXBase, FailuresReachCheck) {
    struct Counting : media::TDirectX {
        int failures = 0;
        void Check() override { ++failures; }
    } dx;
    dx.SetDXResult(0);
    dx.SetDXResult(-2005532292);
    dx.SetDXResult(1);
    EXPECT_EQ(dx.failures, 2);
    EXPECT_EQ(dx.DXResult(), 1);
}

}  // namespace
