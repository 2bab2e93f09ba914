// The plug-in DLL as a COM server: its exports, its registration and its class factory, called
// directly as COM and regsvr32 call them.

#include "com/plugin_identity.h"
#include "cross_bitness.h"
#include "geo_host_interfaces.h"
#include "pe_imports.h"
#include "plugin_test_support.h"
#include "process_launcher.h"
#include "version_info.h"
#include "win32_handles.h"

#include <gtest/gtest.h>
#include <olectl.h>

namespace {

using plugintest::defaultValue;
using plugintest::keyExists;
using plugintest::subKeys;
using plugintest::valueNames;

const std::string kClassKey = "CLSID\\{6f3e2c81-5b7a-4d19-9c4e-2a8d71f0b6e3}";
const std::string kProgIdKey = "GeoPlugin.quovan";
const IID IID_Other = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

// The plug-in DLL loaded into the test process, with its four exports.
class PlugInDll : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Module.reset(LoadLibraryA(plugintest::plugInDll().c_str()));
        ASSERT_TRUE(m_Module) << plugintest::plugInDll();
        canUnloadNow = reinterpret_cast<Call0>(exported("DllCanUnloadNow"));
        getClassObject = reinterpret_cast<GetClassObject>(exported("DllGetClassObject"));
        registerServer = reinterpret_cast<Call0>(exported("DllRegisterServer"));
        unregisterServer = reinterpret_cast<Call0>(exported("DllUnregisterServer"));
        ASSERT_TRUE(canUnloadNow && getClassObject && registerServer && unregisterServer);
    }

    // An export by its undecorated name.
    void* exported(const char* name) const
    {
        return reinterpret_cast<void*>(GetProcAddress(m_Module.get(), name));
    }

    std::string modulePath() const
    {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(m_Module.get(), path, MAX_PATH);
        return path;
    }

    IClassFactory* factory()
    {
        void* object = nullptr;
        EXPECT_EQ(S_OK, getClassObject(plugin::CLSID_QuovanPlugin, IID_IClassFactory, &object));
        return static_cast<IClassFactory*>(object);
    }

    void expectNothingRegistered()
    {
        EXPECT_FALSE(keyExists(kClassKey));
        EXPECT_FALSE(keyExists(kProgIdKey));
    }

    void expectRegistered()
    {
        EXPECT_EQ("GeoPlugin", defaultValue(kClassKey));
        EXPECT_EQ(modulePath(), defaultValue(kClassKey + "\\InprocServer32"));
        EXPECT_EQ("GeoPlugin.quovan", defaultValue(kClassKey + "\\ProgID"));
        EXPECT_EQ("GeoPlugin", defaultValue(kProgIdKey));
        EXPECT_EQ("{6f3e2c81-5b7a-4d19-9c4e-2a8d71f0b6e3}", defaultValue(kProgIdKey + "\\CLSID"));
        // Exactly these keys, each with nothing but its default value (no threading model).
        EXPECT_EQ((std::vector<std::string>{"InprocServer32", "ProgID"}), subKeys(kClassKey));
        EXPECT_EQ(std::vector<std::string>{"CLSID"}, subKeys(kProgIdKey));
        for (const std::string& key : {kClassKey, kClassKey + "\\InprocServer32", kClassKey + "\\ProgID", kProgIdKey,
                                       kProgIdKey + "\\CLSID"}) {
            EXPECT_EQ(std::vector<std::string>{""}, valueNames(key)) << key;
            EXPECT_TRUE(subKeys(key).empty() || key == kClassKey || key == kProgIdKey) << key;
        }
    }

    using Call0 = HRESULT(STDAPICALLTYPE*)();
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    Call0 canUnloadNow = nullptr;
    GetClassObject getClassObject = nullptr;
    Call0 registerServer = nullptr;
    Call0 unregisterServer = nullptr;

private:
    strell::unique_hmodule m_Module;
};

// The plug-in's class key below HKLM\SOFTWARE\Classes in the 32-bit or 64-bit registry view.
bool machineClassKeyExists(REGSAM view)
{
    strell::unique_hkey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\Classes\\" + kClassKey).c_str(), 0, KEY_READ | view,
                         key.put()) == ERROR_SUCCESS;
}

using Registration = PlugInDll;
using ClassFactory = PlugInDll;

TEST_F(Registration, WritesExactlyTheFiveKeysAndRemovesThem)
{
    plugintest::RegistryLock lock;
    unregisterServer();
    expectNothingRegistered();

    EXPECT_EQ(S_OK, registerServer());
    expectRegistered();

    EXPECT_EQ(S_OK, unregisterServer());
    expectNothingRegistered();
}

TEST_F(Registration, RegisteringTwiceSucceedsBothTimes)
{
    plugintest::RegistryLock lock;
    EXPECT_EQ(S_OK, registerServer());
    EXPECT_EQ(S_OK, registerServer());
    expectRegistered();
    EXPECT_EQ(S_OK, unregisterServer());
}

TEST_F(Registration, UnregisteringWhenNothingIsRegisteredAnswersFalse)
{
    plugintest::RegistryLock lock;
    unregisterServer();
    EXPECT_EQ(S_FALSE, unregisterServer());
    expectNothingRegistered();
}

TEST_F(Registration, UnregisteringAttemptsEveryKey)
{
    plugintest::RegistryLock lock;
    ASSERT_EQ(S_OK, registerServer());
    // A key of someone else below the class key keeps that key alive; all others go.
    strell::unique_hkey foreign;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CLASSES_ROOT, (kClassKey + "\\Implemented Categories").c_str(),
                                           foreign.put()));
    foreign.reset();

    EXPECT_EQ(S_FALSE, unregisterServer());
    EXPECT_FALSE(keyExists(kProgIdKey));
    EXPECT_FALSE(keyExists(kClassKey + "\\InprocServer32"));
    EXPECT_FALSE(keyExists(kClassKey + "\\ProgID"));
    EXPECT_TRUE(keyExists(kClassKey));

    RegDeleteKeyA(HKEY_CLASSES_ROOT, (kClassKey + "\\Implemented Categories").c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey.c_str());
    expectNothingRegistered();
}

TEST_F(Registration, FailureRemovesEveryKeyAgain)
{
    plugintest::RegistryLock lock;
    unregisterServer();
    // Below a volatile key no lasting key can be created: the fifth entry fails.
    strell::unique_hkey blocker;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, kProgIdKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, blocker.put(), nullptr));
    blocker.reset();

    EXPECT_EQ(SELFREG_E_CLASS, registerServer());
    expectNothingRegistered();
}

TEST_F(Registration, Regsvr32RegistersAndUnregisters)
{
    plugintest::RegistryLock lock;
    unregisterServer();
    const std::string dll = testsupport::quoteArgument(modulePath());
    EXPECT_EQ(0, testsupport::runAndWait("regsvr32.exe /s " + dll, 60000));
    expectRegistered();
    // On 64-bit Windows the 32-bit regsvr32 (which a 32-bit caller starts) writes the 32-bit view of the
    // classes, which a 32-bit host reads, and nothing into the 64-bit one.
    const bool wow64 = testsupport::runsUnderWow64();
    if (wow64) {
        EXPECT_TRUE(machineClassKeyExists(KEY_WOW64_32KEY));
        EXPECT_FALSE(machineClassKeyExists(KEY_WOW64_64KEY));
    }
    EXPECT_EQ(0, testsupport::runAndWait("regsvr32.exe /u /s " + dll, 60000));
    expectNothingRegistered();
    if (wow64) {
        EXPECT_FALSE(machineClassKeyExists(KEY_WOW64_32KEY));
    }
}

TEST_F(ClassFactory, OnlyForThePlugInClass)
{
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID_Other, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(geohost::IID_IGeoPlugIn, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(ClassFactory, AnswersItsInterfacesAndCountsInTheLock)
{
    EXPECT_EQ(S_OK, canUnloadNow());
    IClassFactory* classFactory = factory();
    ASSERT_NE(nullptr, classFactory);
    EXPECT_EQ(S_FALSE, canUnloadNow());

    void* unknown = nullptr;
    EXPECT_EQ(S_OK, getClassObject(plugin::CLSID_QuovanPlugin, IID_IUnknown, &unknown));
    EXPECT_EQ(static_cast<void*>(classFactory), unknown);
    void* other = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, getClassObject(plugin::CLSID_QuovanPlugin, IID_Other, &other));
    EXPECT_EQ(nullptr, other);

    // Constant counts: the factory is static.
    EXPECT_EQ(2u, classFactory->AddRef());
    EXPECT_EQ(1u, classFactory->Release());
    EXPECT_EQ(S_FALSE, classFactory->LockServer(TRUE));
    EXPECT_EQ(S_FALSE, classFactory->LockServer(FALSE));

    static_cast<IUnknown*>(unknown)->Release();
    EXPECT_EQ(S_FALSE, canUnloadNow());
    classFactory->Release();
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(ClassFactory, RefusesAggregation)
{
    IClassFactory* classFactory = factory();
    ASSERT_NE(nullptr, classFactory);
    IUnknown* outer = classFactory; // any unknown will do
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, classFactory->CreateInstance(outer, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    classFactory->Release();
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(ClassFactory, UnsupportedInterfaceDestroysTheNewObject)
{
    IClassFactory* classFactory = factory();
    ASSERT_NE(nullptr, classFactory);
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, classFactory->CreateInstance(nullptr, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    classFactory->Release();
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(ClassFactory, PlugInObjectIdentityAndCounts)
{
    IClassFactory* classFactory = factory();
    ASSERT_NE(nullptr, classFactory);
    void* object = nullptr;
    ASSERT_EQ(S_OK, classFactory->CreateInstance(nullptr, geohost::IID_IGeoPlugIn, &object));
    classFactory->Release();
    auto* plugIn = static_cast<geohost::IGeoPlugIn*>(object);

    // The living object keeps the DLL loaded after the factory is gone.
    EXPECT_EQ(S_FALSE, canUnloadNow());
    void* unknown = nullptr;
    EXPECT_EQ(S_OK, plugIn->QueryInterface(IID_IUnknown, &unknown));
    EXPECT_EQ(object, unknown);
    void* other = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, plugIn->QueryInterface(IID_IClassFactory, &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ(3u, plugIn->AddRef());
    EXPECT_EQ(2u, plugIn->Release());
    EXPECT_EQ(1u, static_cast<IUnknown*>(unknown)->Release());

    // A refused initialisation, without a host application.
    EXPECT_EQ(E_POINTER, plugIn->Initialize(nullptr, 7));
    EXPECT_EQ(0u, plugIn->Release());
    EXPECT_EQ(S_OK, canUnloadNow());
}

} // namespace

// Loaded into the map host on any customer's PC: nothing beyond what Windows brings.
TEST(PlugInFile, ImportsSystemDllsOnly)
{
    EXPECT_EQ(testsupport::foreignImports(plugintest::plugInDll()), std::vector<std::string>{});
}

TEST(PlugInFile, VersionResourceNamesMakerAndVersion)
{
    const testsupport::VersionInfo info = testsupport::readVersionInfo(plugintest::plugInDll());
    EXPECT_EQ(info.fileVersion, "1.1.0.0");
    EXPECT_EQ(info.value("FileVersion"), "1.01");
    EXPECT_EQ(info.value("CompanyName"), "telvor");
    EXPECT_EQ(info.value("OriginalFilename"), "quovan.dll");
}
