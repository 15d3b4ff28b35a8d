// The display font's registration latches, with the graphics library's own
// entries: the recorder only sees the calls on their way through. Each test
// runs in a process of its own, so each starts with both latches open.
#include <afxwin.h>

#include <string>

#include <gtest/gtest.h>

#include "FontEntryRecorder.h"
#include "TestFiles.h"
#include "launch/PrivateFont.h"

namespace {

// The face a font asked for by this name really gets.
std::string FaceFor(const char* pszFace)
{
    LOGFONTA lf = {};
    lf.lfHeight = -12;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lstrcpynA(lf.lfFaceName, pszFace, LF_FACESIZE);
    CFont font;
    font.CreateFontIndirect(&lf);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CSelectGuard select(dc, &font);
    char szFace[LF_FACESIZE] = {};
    ::GetTextFaceA(dc.m_hDC, LF_FACESIZE, szFace);
    return szFace;
}

class PrivateFont : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_calls.IsRecording()); }
    void TearDown() override { ::SetCurrentDirectoryA(BuildBinFolder().c_str()); }
    // The font files are found by bare name in the current folder.
    static void EnterFontFolder() { ::SetCurrentDirectoryA(BuiltFile("fixtures").c_str()); }

    FontEntryRecorder m_calls;
};

} // namespace

TEST_F(PrivateFont, WithTheFilePresentThreeRegistrationsAddItOnce)
{
    EnterFontFolder();
    int nFirst = RegisterPrivateFont(kDisplayFontFile);
    EXPECT_EQ(1, nFirst); // the file holds one font
    EXPECT_EQ(nFirst, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(nFirst, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(1, m_calls.add.nLookups);
    EXPECT_EQ(1, m_calls.add.nCalls);
    EXPECT_EQ("VENUSRIS.ttf", m_calls.add.lastPath);
    EXPECT_EQ(static_cast<DWORD>(FR_PRIVATE), m_calls.add.dwLastFlags);
    EXPECT_EQ(nullptr, m_calls.add.pLastReserved);
    // Registered, the face really is there.
    EXPECT_EQ("Venus Rising", FaceFor(kDisplayFontFace));

    EXPECT_NE(0, UnregisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(1, m_calls.remove.nCalls);
    EXPECT_EQ("VENUSRIS.ttf", m_calls.remove.lastPath);
    EXPECT_EQ(static_cast<DWORD>(FR_PRIVATE), m_calls.remove.dwLastFlags);
    EXPECT_EQ(nullptr, m_calls.remove.pLastReserved);
}

TEST_F(PrivateFont, WithTheFileAbsentEveryCallTriesAgainAndReportsZero)
{
    TempFolder empty;
    ::SetCurrentDirectoryA(empty.Path().c_str());
    EXPECT_EQ(0, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(0, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(0, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(3, m_calls.add.nCalls);
    EXPECT_EQ(1, m_calls.add.nLookups); // the entry itself was found the first time

    EXPECT_EQ(0, UnregisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(1, m_calls.remove.nCalls);
    EXPECT_EQ(0, UnregisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(2, m_calls.remove.nCalls);
    EXPECT_NE("Venus Rising", FaceFor(kDisplayFontFace));
    ::SetCurrentDirectoryA(BuildBinFolder().c_str());
}

TEST_F(PrivateFont, AfterRemovalTheFontIsNeitherAddedNorRemovedAgain)
{
    EnterFontFolder();
    int nAdded = RegisterPrivateFont(kDisplayFontFile);
    ASSERT_NE(0, nAdded);
    int nRemoved = UnregisterPrivateFont(kDisplayFontFile);
    ASSERT_NE(0, nRemoved);

    // A second launch screen in the same process.
    EXPECT_EQ(nAdded, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(nRemoved, UnregisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(1, m_calls.add.nCalls);
    EXPECT_EQ(1, m_calls.remove.nCalls);
    // The face was never used while registered here, so nothing keeps it
    // alive: it is gone for this process.
    EXPECT_NE("Venus Rising", FaceFor(kDisplayFontFace));
}

TEST_F(PrivateFont, AnotherPathAfterASuccessIsNotLookedAt)
{
    EnterFontFolder();
    int nAdded = RegisterPrivateFont(kDisplayFontFile);
    ASSERT_NE(0, nAdded);
    EXPECT_EQ(nAdded, RegisterPrivateFont("OTHERFNT.ttf"));
    EXPECT_EQ(1, m_calls.add.nCalls);
    EXPECT_NE("Other Probe", FaceFor("Other Probe"));
}

TEST_F(PrivateFont, AnotherPathIsTriedWhileNoRegistrationHasSucceeded)
{
    EnterFontFolder();
    EXPECT_EQ(0, RegisterPrivateFont("MISSING.ttf"));
    EXPECT_EQ(1, RegisterPrivateFont("OTHERFNT.ttf"));
    EXPECT_EQ(2, m_calls.add.nCalls);
    EXPECT_EQ("Other Probe", FaceFor("Other Probe"));
    EXPECT_NE("Venus Rising", FaceFor(kDisplayFontFace)); // not registered here
}

TEST_F(PrivateFont, AFailedLookupIsRetriedOnEveryCall)
{
    EnterFontFolder();
    m_calls.bLookupsFail = true;
    EXPECT_EQ(0, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(0, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(0, UnregisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(2, m_calls.add.nLookups);
    EXPECT_EQ(1, m_calls.remove.nLookups);
    EXPECT_EQ(0, m_calls.add.nCalls);

    m_calls.bLookupsFail = false;
    EXPECT_EQ(1, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(3, m_calls.add.nLookups);
    EXPECT_EQ(1, m_calls.add.nCalls);
    EXPECT_EQ(1, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(3, m_calls.add.nLookups); // found entries are kept
}

TEST(PrivateFontWithoutARecorder, GoesStraightToTheGraphicsLibrary)
{
    ::SetCurrentDirectoryA(BuiltFile("fixtures").c_str());
    EXPECT_EQ(1, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ("Venus Rising", FaceFor(kDisplayFontFace));
    ::SetCurrentDirectoryA(BuildBinFolder().c_str());
}
