#include <afxwin.h>

#include <string>

#include <gtest/gtest.h>

TEST(CString, ConstructsFromTextCharactersAndNothing)
{
    EXPECT_STREQ("", CString());
    EXPECT_STREQ("", CString(static_cast<const char*>(nullptr)));
    EXPECT_STREQ("abc", CString("abc"));
    EXPECT_STREQ("ab", CString("abcdef", 2));
    EXPECT_STREQ("xxx", CString('x', 3));
    EXPECT_STREQ("", CString('x', 0));
    EXPECT_EQ(3, CString("abc").GetLength());
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_FALSE(CString("a").IsEmpty());
}

TEST(CString, CopiesAreIndependent)
{
    CString a("original");
    CString b(a);
    CString c;
    c = a;
    a = "changed";
    EXPECT_STREQ("original", b);
    EXPECT_STREQ("original", c);
    EXPECT_STREQ("changed", a);

    CString moved(static_cast<CString&&>(b));
    EXPECT_STREQ("original", moved);
    EXPECT_TRUE(b.IsEmpty());

    c = c; // self-assignment keeps the text
    EXPECT_STREQ("original", c);
    c = c.Mid(2, 3); // source inside the target
    EXPECT_STREQ("igi", c);
}

TEST(CString, AppendsAndConcatenates)
{
    CString s("ab");
    s += "cd";
    s += 'e';
    s += CString("f");
    EXPECT_STREQ("abcdef", s);
    s += s; // appending itself
    EXPECT_STREQ("abcdefabcdef", s);
    EXPECT_STREQ("x-y", CString("x") + "-" + CString("y"));
    EXPECT_STREQ("pre:body", "pre:" + CString("body"));

    CString grown;
    for (int i = 0; i < 5000; ++i)
        grown += 'z';
    EXPECT_EQ(5000, grown.GetLength());
    EXPECT_EQ(std::string(5000, 'z'), std::string(grown));
}

TEST(CString, FormatsLikePrintf)
{
    CString s;
    s.Format("Unable to load %s: %s", "DLL", "QuavPlusUI.dll");
    EXPECT_STREQ("Unable to load DLL: QuavPlusUI.dll", s);
    s.Format("%d|%5.2f|%lld|%x|%c|%%", -42, 3.14159, 1765000000123LL, 255, 'Q');
    EXPECT_STREQ("-42| 3.14|1765000000123|ff|Q|%", s);
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());

    // An argument that is the string itself, and output far longer than any
    // fixed buffer.
    s = "self";
    s.Format("%s+%s", static_cast<const char*>(s), static_cast<const char*>(s));
    EXPECT_STREQ("self+self", s);
    std::string big(3000, 'k');
    s.Format("[%s]", big.c_str());
    EXPECT_EQ(3002, s.GetLength());
}

TEST(CString, FindsCharactersFromEitherEnd)
{
    CString path("C:\\dir\\sub\\QUAVPlusKDS.exe");
    EXPECT_EQ(10, path.ReverseFind('\\'));
    EXPECT_EQ(2, path.Find('\\'));
    EXPECT_EQ(7, path.Find("sub"));
    EXPECT_EQ(-1, path.ReverseFind('/'));
    EXPECT_EQ(-1, CString().ReverseFind('x'));
    EXPECT_EQ(0, CString("x").ReverseFind('x'));
}

TEST(CString, CutsPiecesAndClampsCounts)
{
    CString s("QUAVPlusKDS.exe");
    EXPECT_STREQ(".exe", s.Right(4));
    EXPECT_STREQ("QUAV", s.Left(4));
    EXPECT_STREQ("Plus", s.Mid(4, 4));
    EXPECT_STREQ("KDS.exe", s.Mid(8));
    EXPECT_STREQ("QUAVPlusKDS.exe", s.Right(100));
    EXPECT_STREQ("", s.Right(0));
    EXPECT_STREQ("", s.Right(-3));
    EXPECT_STREQ("", s.Mid(99));

    // The bare file name cut: length minus last backslash minus one.
    CString full("C:\\a\\b.exe");
    EXPECT_STREQ("b.exe", full.Right(full.GetLength() - full.ReverseFind('\\') - 1));
    CString bare("b.exe"); // no backslash: the whole text
    EXPECT_STREQ("b.exe", bare.Right(bare.GetLength() - bare.ReverseFind('\\') - 1));
}

TEST(CString, ComparesWithAndWithoutCase)
{
    CString s("QUAVPlusKDS.exe");
    EXPECT_EQ(0, s.CompareNoCase("quavpluskds.EXE"));
    EXPECT_EQ(0, s.CompareNoCase("QUAVPLUSKDS.exe"));
    EXPECT_NE(0, s.CompareNoCase("QUAVPlusKDS.exe.bak"));
    EXPECT_NE(0, s.CompareNoCase("QUAVPlusKDS"));
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
    EXPECT_GT(CString("abd").CompareNoCase("ABC"), 0);

    EXPECT_NE(0, s.Compare("quavpluskds.exe"));
    EXPECT_TRUE(s == "QUAVPlusKDS.exe");
    EXPECT_TRUE("QUAVPlusKDS.exe" == s);
    EXPECT_TRUE(s != "quavpluskds.exe");
    EXPECT_TRUE(CString("a") < CString("b"));
    EXPECT_TRUE(CString("b") > "a");
    EXPECT_TRUE(CString("a") <= "a");
    EXPECT_TRUE("b" >= CString("a"));
}

TEST(CString, LendsItsBufferToApis)
{
    CString s;
    char* p = s.GetBuffer(MAX_PATH);
    lstrcpyA(p, "written by an API");
    s.ReleaseBuffer();
    EXPECT_EQ(17, s.GetLength());
    EXPECT_STREQ("written by an API", s);

    p = s.GetBufferSetLength(4);
    EXPECT_STREQ("writ", p);
    s.ReleaseBuffer(2);
    EXPECT_STREQ("wr", s);
    EXPECT_EQ('w', s[0]);
    EXPECT_EQ('\0', s.GetAt(7)); // past the end reads as the terminator
}
