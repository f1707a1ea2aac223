// Identifiers, wide strings and the component runtime's failure paths.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/com/ComObj.h"
#include "platform/com/ComServer.h"
#include "platform/registry/Registry.h"

namespace fs = std::filesystem;
using namespace platform::com;

namespace {

constexpr CLSID kSomeClass = {0x7FB3E3A1, 0x829C, 0x11D3, {0x80, 0x32, 0x00, 0xA0, 0xC9, 0x41, 0xA5, 0x6C}};

TEST(GuidTest, ParsesBothCasesFormatsUpperAndRefusesMalformedTexts) {
    GUID g = StringToGUID("{7fb3e3a1-829c-11d3-8032-00a0c941a56c}");
    EXPECT_EQ(g, kSomeClass);
    EXPECT_EQ(GUIDToString(g), "{7FB3E3A1-829C-11D3-8032-00A0C941A56C}");
    EXPECT_EQ(StringToGUID(GUIDToString(IID_IClassFactory)), IID_IClassFactory);
    for (const char* bad : {"", "7FB3E3A1-829C-11D3-8032-00A0C941A56C", "{7FB3E3A1-829C-11D3-8032-00A0C941A56}",
                            "{7FB3E3A1-829C-11D3-8032+00A0C941A56C}", "{7FB3E3A1-829C-11D3-8032-00A0C941A56G}",
                            "{7FB3E3A1-829C-11D3-8032-00A0C941A56C}x"}) {
        EXPECT_FALSE(TryStringToGUID(bad)) << bad;
    }
    try {
        StringToGUID("nonsense");
        FAIL();
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), CO_E_CLASSSTRING);
        EXPECT_STREQ(e.className(), "EOleSysError");
    }
}

TEST(BstrTest, LengthPrefixedWithZerosInsideAndNullAsEmpty) {
    BSTR s = SysAllocString(u"Sprallion");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 9u);
    EXPECT_EQ(SysStringByteLen(s), 18u);
    EXPECT_EQ(reinterpret_cast<uint32_t*>(s)[-1], 18u);  // the byte count just before the text
    EXPECT_EQ(s[9], 0);
    const char16_t withZero[] = {u'a', 0, u'b'};
    BSTR z = SysAllocStringLen(withZero, 3);
    EXPECT_EQ(SysStringLen(z), 3u);
    EXPECT_EQ(BstrToString(z), std::u16string(withZero, 3));
    EXPECT_TRUE(SysReAllocString(&z, u"new"));
    EXPECT_EQ(BstrToString(z), u"new");
    SysFreeString(z);
    SysFreeString(s);
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocString(static_cast<const OLECHAR*>(nullptr)), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(BstrToString(nullptr), u"");

    WideString w(u"owned");
    WideString copy = w;
    EXPECT_NE(copy.get(), w.get());
    EXPECT_EQ(copy.str(), u"owned");
    *copy.out() = SysAllocString(u"replaced");
    EXPECT_EQ(copy.str(), u"replaced");
    EXPECT_EQ(ToVariantBool(true), -1);
    EXPECT_TRUE(FromVariantBool(1));
}

class ComRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sprallion-com-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        ::setenv("SPRALLION_REGISTRY", (dir_ / "registry").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("SPRALLION_REGISTRY");
        fs::remove_all(dir_);
    }
    void RegisterServer(const std::string& path) {
        platform::registry::Registry reg(platform::registry::RootKey::HKEY_CLASSES_ROOT);
        ASSERT_TRUE(reg.OpenKey("CLSID\\" + GUIDToString(kSomeClass) + "\\InprocServer32", true));
        reg.WriteString("", path);
    }
    fs::path dir_;
};

TEST_F(ComRuntimeTest, CreationFailsWithTheRuntimesErrors) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(kSomeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(CoInitialize(), S_OK);
    EXPECT_EQ(CoInitialize(), S_FALSE);
    EXPECT_EQ(CoCreateInstance(kSomeClass, nullptr, 7, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    RegisterServer((dir_ / "missing.so").string());
    EXPECT_EQ(CoCreateInstance(kSomeClass, nullptr, 7, IID_IUnknown, &object), CO_E_DLLNOTFOUND);
    EXPECT_EQ(CoCreateInstance(kSomeClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    // A library that loads but is no server: libc has no DllGetClassObject.
    RegisterServer("libc.so.6");
    EXPECT_EQ(CoCreateInstance(kSomeClass, nullptr, 7, IID_IUnknown, &object), CO_E_ERRORINDLL);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoCreateInstance(kSomeClass, nullptr, 7, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
}

// A class served from this executable, to exercise the server frame without loading anything.
class ITest : public IUnknown {
public:
    virtual int32_t Answer() = 0;

protected:
    ~ITest() = default;
};
constexpr IID IID_ITest = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
class TTest final : public TComObject<ITest> {
public:
    int32_t Answer() override { return 42; }

protected:
    bool Answers(const IID& iid) const override { return iid == IID_ITest; }
};

TEST_F(ComRuntimeTest, FactoryCountsObjectsAndLocksAndRegistersItself) {
    static TComObjectFactory factory(IID_ITest, "Test", "Test class", ThreadingModel::tmApartment,
                                     [] { return static_cast<IUnknown*>(new TTest); });
    ComPtr<IClassFactory> cf;
    ASSERT_EQ(ServerGetClassObject(&IID_ITest, &IID_IClassFactory, cf.out()), S_OK);
    EXPECT_EQ(ServerCanUnloadNow(), S_FALSE);  // a factory handed out counts
    ComPtr<ITest> obj;
    EXPECT_EQ(cf->CreateInstance(nullptr, IID_IClassFactory, obj.out()), E_NOINTERFACE);
    EXPECT_EQ(cf->CreateInstance(reinterpret_cast<IUnknown*>(cf.get()), IID_ITest, obj.out()), CLASS_E_NOAGGREGATION);
    int32_t before = ModuleObjectCount();
    ASSERT_EQ(cf->CreateInstance(nullptr, IID_ITest, obj.out()), S_OK);
    EXPECT_EQ(obj->Answer(), 42);
    EXPECT_EQ(ModuleObjectCount(), before + 1);
    cf->LockServer(1);
    cf.reset();
    obj.reset();
    EXPECT_EQ(ServerCanUnloadNow(), S_FALSE);  // still locked
    ComPtr<IClassFactory> again;
    ServerGetClassObject(&IID_ITest, &IID_IClassFactory, again.out());
    again->LockServer(0);
    again.reset();
    EXPECT_EQ(ServerCanUnloadNow(), S_OK);
    EXPECT_EQ(ServerGetClassObject(&kSomeClass, &IID_IClassFactory, again.out()), CLASS_E_CLASSNOTAVAILABLE);

    ASSERT_EQ(ServerRegister("/opt/x/libTest.so", nullptr), S_OK);
    platform::registry::Registry reg(platform::registry::RootKey::HKEY_CLASSES_ROOT);
    ASSERT_TRUE(reg.OpenKeyReadOnly("CLSID\\" + GUIDToString(IID_ITest) + "\\InprocServer32"));
    EXPECT_EQ(reg.ReadString(""), "/opt/x/libTest.so");
    EXPECT_EQ(reg.ReadString("ThreadingModel"), "Apartment");
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Test.Test\\Clsid"));
    EXPECT_EQ(reg.ReadString(""), GUIDToString(IID_ITest));
    ASSERT_EQ(ServerUnregister("/opt/x/libTest.so", nullptr), S_OK);
    EXPECT_FALSE(reg.KeyExists("\\CLSID\\" + GUIDToString(IID_ITest)));
}

TEST(ErrorInfoTest, IsPerThreadAndClearedByReading) {
    SetErrorInfo({u"src", u"went wrong"});
    auto info = GetErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->description, u"went wrong");
    EXPECT_FALSE(GetErrorInfo());
}

}  // namespace
