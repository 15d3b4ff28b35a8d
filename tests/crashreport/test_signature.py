"""The signature a crash is grouped by, and the names it is made of."""
import unittest

from crashreport.demangle import Demangler, undecorated
from crashreport.framenames import Frame
from crashreport.signature import bare_name, signature

AV, ABORT = 0xC0000005, 0x40000015


def frame(function="", file="", module="QuavPlusUI.dll", offset=0x1000, symbol=""):
    return Frame(0x10000000 + offset, module, offset, "unwind data", function, file, 1, symbol=symbol)


HANDLER = frame("(anonymous namespace)::HandleAbort(int)", "/src/Code/APPLICATION/CrashDumpWriter.cpp",
                "QUAVPlusKDS.exe")
RENAMED_HANDLER = frame("OnFatalExit()", "C:\\src\\Code\\APPLICATION\\CrashHandling.cpp", "QUAVPlusKDS.exe")
FAULT = frame("Fault", "/src/tests/CrashTestModule.cpp")
INIT = frame("DLLInitInstance", "/src/tests/CrashTestModule.cpp", offset=0x2000)
APP = frame("CQuavPlusApp::InitInstance()", "/src/Code/APPLICATION/QuavPlusApp.cpp", "QUAVPlusKDS.exe")
MAIN = frame("AfxWinMain(HINSTANCE__*, HINSTANCE__*, char*, int)", "/src/Code/AfxFramework/CWinApp.cpp",
             "AfxFramework.dll")
ABORT_PATH = [frame("raise", "dlls/msvcrt/except.c", "msvcrt.dll"), frame("abort", "", "msvcrt.dll"),
              frame("__gnu_cxx::__verbose_terminate_handler()"), frame("std::terminate()"),
              frame("__cxa_throw"), frame("RaiseException", "", "kernelbase.dll")]
UNNAMED = frame(offset=0x1234, symbol="DLLGetDumpPath")


class Signatures(unittest.TestCase):
    def test_the_rule(self):
        cases = [
            ("the first three named frames", AV, [FAULT, INIT, APP, MAIN],
             "0xc0000005 | Fault | DLLInitInstance | CQuavPlusApp::InitInstance()"),
            ("the crash handler and the abort path taken off the top", ABORT, [HANDLER] + ABORT_PATH + [INIT, APP],
             "0x40000015 | DLLInitInstance | CQuavPlusApp::InitInstance()"),
            ("the handler known by its source file, whatever its name", ABORT, [RENAMED_HANDLER, INIT],
             "0x40000015 | DLLInitInstance"),
            ("a dump that starts at the throw", 0x20474343, [INIT, APP], "0x20474343 | DLLInitInstance | "
             "CQuavPlusApp::InitInstance()"),
            ("frames without a proven name passed over", AV, [UNNAMED, INIT, APP],
             "0xc0000005 | DLLInitInstance | CQuavPlusApp::InitInstance()"),
            ("nothing named: the module and offset", AV, [UNNAMED], "0xc0000005 | QuavPlusUI.dll+0x1234"),
            ("only the handler: its frames after all", ABORT, [HANDLER], "0x40000015 | (anonymous namespace)"
             "::HandleAbort(int)"),
            ("a run-time function further down is kept", AV, [FAULT, frame("abort")], "0xc0000005 | Fault | abort"),
            ("no exception, no stack", None, [], "no exception"),
        ]
        for name, code, frames, expected in cases:
            with self.subTest(name):
                self.assertEqual(expected, signature(code, frames))

    def test_copies_share_one_and_codes_never_do(self):
        frames = [FAULT, INIT, APP]
        self.assertEqual(signature(AV, frames), signature(AV, [FAULT, INIT, APP]))
        self.assertNotEqual(signature(AV, frames), signature(0xC0000006, frames))
        self.assertNotEqual(signature(AV, []), signature(ABORT, []))


class Names(unittest.TestCase):
    def test_bare_names(self):
        for function, bare in [("std::terminate()", "std::terminate"), ("raise", "raise"),
                               ("__cxxabiv1::__terminate(void (*)())", "__cxxabiv1::__terminate"),
                               ("CString::GetLength() const", "CString::GetLength"),
                               ("(anonymous namespace)::Fault()", "(anonymous namespace)::Fault"),
                               ("Fault() [clone .cold]", "Fault"), ("Fault() (.cold)", "Fault")]:
            self.assertEqual(bare, bare_name(function), function)

    def test_names_as_people_read_them(self):
        cases = [  # (name as written, from an x86 COFF symbol table, as shown)
            ("_Z10AfxWinMainP11HINSTANCE__S0_Pci@16", False, "AfxWinMain(HINSTANCE__*, HINSTANCE__*, char*, int)"),
            ("__Z10AfxWinMainP11HINSTANCE__S0_Pci@16", True, "AfxWinMain(HINSTANCE__*, HINSTANCE__*, char*, int)"),
            ("_ZN12CQuavPlusApp12InitInstanceEv", False, "CQuavPlusApp::InitInstance()"),
            ("_DllMain@12", True, "DllMain"),
            ("@FastCall@8", True, "FastCall"),
            ("_main", True, "main"),
            ("_start", False, "_start"),
            ("DLLInitInstance", False, "DLLInitInstance"),
            ("_ZN12_GLOBAL__N_15FaultEv", False, "(anonymous namespace)::Fault()"),
        ]
        demangler = Demangler()
        plain = [undecorated(name, coff) for name, coff, _ in cases]
        demangler.demangle_all(plain)
        for (name, _, shown), bare in zip(cases, plain):
            self.assertEqual(shown, demangler.name(bare), name)


if __name__ == "__main__":
    unittest.main()
