// The launch as the shell reaches it: a handler made through the class factory, handed a
// CF_HDROP selection, its command chosen through InvokeCommand; the viewer start recorded.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "hdrop_data_object.h"
#include "launch_fixture.h"
#include "shell_ext_clsid.h"

namespace launchtest {
namespace {

using vmxtest::ComHold;
using vmxtest::Escaped;
using vmxtest::ReadFileBytes;

class InvokeTest : public LaunchTest {
protected:
    void SetUp() override {
        ComHold<IClassFactory> factory;
        ASSERT_EQ(S_OK, DllGetClassObject(CLSID_ShellExtHandler, IID_IClassFactory,
                                          reinterpret_cast<void**>(factory.Put())));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu,
                                                reinterpret_cast<void**>(menu_.Put())));
    }

    // Hands the handler a selection the way the shell does.
    void Select(const std::vector<std::string>& paths) {
        ComHold<IShellExtInit> init;
        ASSERT_EQ(S_OK,
                  menu_->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put())));
        ComHold<vmxtest::HDropDataObject> data(vmxtest::HDropDataObject::Create(paths));
        ASSERT_EQ(S_OK, init->Initialize(nullptr, data.Get(), nullptr));
    }

    HRESULT ChooseCommand() {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.lpVerb = MAKEINTRESOURCEA(0);
        info.nShow = SW_SHOWNORMAL;
        return menu_->InvokeCommand(&info);
    }

    ComHold<IContextMenu> menu_;
};

TEST_F(InvokeTest, EachChoiceWritesAListFileOfItsOwnAndKeepsTheSelection) {
    std::vector<std::string> paths = {"C:\\a.txt", "C:\\Mes documents\\b.txt", "D:\\c"};
    Select(paths);
    EXPECT_EQ(S_OK, ChooseCommand());
    EXPECT_EQ(S_OK, ChooseCommand());

    ASSERT_EQ(2u, viewer_.Starts().size()) << "viewer starts";
    std::string first = ListFileNamedIn(viewer_.Starts()[0].commandLine);
    std::string second = ListFileNamedIn(viewer_.Starts()[1].commandLine);
    ASSERT_FALSE(first.empty()) << viewer_.Starts()[0].commandLine;
    ASSERT_FALSE(second.empty()) << viewer_.Starts()[1].commandLine;
    EXPECT_NE(first, second) << "both starts named the same list file";
    EXPECT_EQ(2u, TempFiles().size()) << "files in the temporary folder";
    EXPECT_EQ(ListLine(ViewerBesideProgram(), "D:\\c", first), viewer_.Starts()[0].commandLine);
    EXPECT_EQ(ListLine(ViewerBesideProgram(), "D:\\c", second), viewer_.Starts()[1].commandLine);
    for (const std::string& listFile : {first, second}) {
        EXPECT_EQ(Escaped("3\r\nC:\\a.txt\r\nC:\\Mes documents\\b.txt\r\nD:\\c\r\n"),
                  Escaped(ReadFileBytes(listFile)))
            << listFile;
    }
}

TEST_F(InvokeTest, SelectionBeyondTheCapIsListedUpToItsLastCapturedPath) {
    std::vector<std::string> paths = RealisticPaths(9000);
    Select(paths);
    EXPECT_EQ(S_OK, ChooseCommand());

    ASSERT_EQ(1u, viewer_.Starts().size());
    std::string listFile = ListFileNamedIn(viewer_.Starts()[0].commandLine);
    ASSERT_FALSE(listFile.empty()) << viewer_.Starts()[0].commandLine;
    std::vector<std::string> captured(paths.begin(), paths.begin() + 8192);
    std::string got = ReadFileBytes(listFile);
    EXPECT_EQ(0u, got.rfind("8192\r\n", 0)) << "first line: " << Escaped(got.substr(0, 16));
    EXPECT_TRUE(got == ExpectedListBytes(captured))
        << "the list file is not the first 8192 paths (" << got.size() << " bytes, expected "
        << ExpectedListBytes(captured).size() << ")";
    EXPECT_EQ(ListLine(ViewerBesideProgram(), paths[8191], listFile),
              viewer_.Starts()[0].commandLine);
}

}  // namespace
}  // namespace launchtest
