"""The mini-dump and PE readers, and the matching of symbol copies: what
they read from whole files, and the one plain reason for every file they
cannot use."""
import os
import random
import struct
import tempfile
import unittest

from builders import minidump, pe_image, x64_context
from crashreport import minidump as dumps
from crashreport.peimage import PeError, PeImage
from crashreport.symbols import SymbolStore

MODULES = [("C:\\Program Files\\QUAV Plus\\QUAVPlusKDS.exe", 0x140000000, 0x19000, 0x6B181751),
           ("C:\\windows\\system32\\ntdll.dll", 0x170000000, 0x361000, 0x63F14E2B)]
STACK = bytes(range(256)) * 4


def sample_dump(**changes):
    fields = dict(modules=MODULES, threads=[(0x11C, x64_context(0x140001234, 0x7F000))],
                  exception=(0x11C, 0xC0000005, 0x140001234, [1, 0x10], x64_context(0x140001234, 0x7F010)),
                  memory=[(0x7F000, STACK)])
    fields.update(changes)
    return minidump(**fields)


class Files(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def file(self, name, data):
        path = os.path.join(self.folder.name, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        return path


class MiniDumpReader(Files):
    def test_a_whole_dump(self):
        dump = dumps.read(self.file("a.dmp", sample_dump()))
        self.addCleanup(dumps.close, dump)
        self.assertEqual("x64", dump.architecture)
        self.assertEqual(["QUAVPlusKDS.exe", "ntdll.dll"], [m.name for m in dump.modules])
        self.assertEqual("1.0.0.1", dump.executable.version)
        self.assertEqual([0x11C], dump.thread_ids)
        self.assertEqual((0xC0000005, [1, 0x10]), (dump.exception.code, dump.exception.parameters))
        self.assertEqual("ntdll.dll", dump.module_at(0x170000010).name)
        self.assertEqual(STACK[16:24], dump.memory.read(0x7F010, 8))
        self.assertIsNone(dump.memory.read(0x7F3FC, 8), "memory past the range is not in the dump")

    def test_each_damage_gives_its_reason(self):
        whole = sample_dump()
        module_list_rva = struct.unpack_from("<I", whole, 32 + 12 + 8)[0]
        cases = [
            ("text", b"not a dump, only text", "not a mini-dump"),
            ("other signature", b"PMDM" + whole[4:], "no MDMP signature"),
            ("cut in its directory", whole[:40], "truncated"),
            ("cut in its streams", whole[:len(whole) // 2], "truncated"),
            ("a directory of a million streams", _patched(whole, 8, 1 << 20), "claims"),
            ("a module list of a million modules", _patched(whole, module_list_rva, 1 << 20), "claims"),
            ("no module list", _patched(whole, 32 + 12, 0x1234), "lacks"),
            ("an ARM process", _patched(whole, struct.unpack_from("<I", whole, 40)[0], 12, "<H"),
             "unsupported processor architecture 12"),
        ]
        for name, data, reason in cases:
            with self.subTest(name):
                with self.assertRaises(dumps.DumpError) as caught:
                    dumps.read(self.file("bad.dmp", data))
                self.assertIn(reason, str(caught.exception))

    def test_only_regular_files_are_read(self):
        fifo = os.path.join(self.folder.name, "pipe.dmp")
        os.mkfifo(fifo)
        for path, reason in [(fifo, "not a regular file (a FIFO)"),
                             (self.folder.name, "not a regular file (a folder)"),
                             ("/dev/zero", "not a regular file (a device)"),
                             (os.path.join(self.folder.name, "missing.dmp"), "No such file")]:
            with self.subTest(path), self.assertRaises(dumps.DumpError) as caught:
                dumps.read(path)
            self.assertIn(reason, str(caught.exception))

    def test_damaged_bytes_give_a_dump_or_a_reason(self):
        """Any byte of a dump may be damaged: reading it gives a dump or
        DumpError, never another failure."""
        whole = sample_dump()
        generator = random.Random(21)
        path = os.path.join(self.folder.name, "mutated.dmp")
        for _ in range(300):
            data = bytearray(whole)
            for _ in range(generator.randint(1, 8)):
                data[generator.randrange(len(data))] = generator.randrange(256)
            with open(path, "wb") as f:
                f.write(data[:generator.randint(len(data) // 2, len(data))])
            try:
                dumps.close(dumps.read(path))
            except dumps.DumpError:
                pass


def _patched(data, offset, value, layout="<I"):
    data = bytearray(data)
    struct.pack_into(layout, data, offset, value)
    return bytes(data)


TEXT = (".text", 0x1000, b"\xC3" * 0x200, True)
DEBUG = (".debug_info", 0x8000, b"\0" * 0x2000, False)


class PeReader(Files):
    def test_what_a_walk_and_its_names_need(self):
        data = pe_image(sections=[TEXT, DEBUG], exports=[("DLLInitInstance", 0x1100), ("Forwarded", 0x2004)],
                        symbols=[("_ZN12CQuavPlusApp12InitInstanceEv", 1, 0x40, 2), ("static", 1, 0x80, 3)],
                        pdata=[(0x1100, 0x1180, 0x2000), (0x1000, 0x1040, 0x2010)])
        image = PeImage(self.file("QUAVPlusKDS.exe", data))
        self.addCleanup(image.close)
        self.assertEqual(("x64", 0x6B181751, 0x140000000), (image.architecture, image.time_stamp, image.image_base))
        self.assertEqual((0xA000, 0x4000), image.loaded_sizes, "with and without the debug sections")
        self.assertEqual(".debug_info", image.sections[1].name, "a long name from the string table")
        self.assertEqual([(0x1040, "_ZN12CQuavPlusApp12InitInstanceEv", True), (0x1080, "static", True),
                          (0x1100, "DLLInitInstance", False)], image.function_symbols(),
                         "a forwarded export is code of another module")
        self.assertEqual([(0x1000, 0x1040, 0x2010), (0x1100, 0x1180, 0x2000)], image.runtime_functions())

    def test_an_x86_file(self):
        image = PeImage(self.file("a.dll", pe_image(machine="x86", sections=[TEXT],
                                                     symbols=[("__Z3fooi@4", 1, 0x10, 2)])))
        self.addCleanup(image.close)
        self.assertEqual(("x86", 0x400000), (image.architecture, image.image_base))
        self.assertEqual([(0x1010, "__Z3fooi@4", True)], image.function_symbols())

    def test_each_unusable_file_gives_its_reason(self):
        whole = pe_image(sections=[TEXT])
        pe_offset = 0x40
        cases = [
            ("an MZ header without a PE header", b"MZ" + bytes(0x60), "no PE signature"),
            ("plain text", b"hello\n" * 20, "no MZ header"),
            ("cut in its headers", whole[:0x60], "truncated"),
            ("section alignment 0", _patched(whole, pe_offset + 24 + 32, 0), "section alignment 0"),
        ]
        for name, data, reason in cases:
            with self.subTest(name), self.assertRaises(PeError) as caught:
                PeImage(self.file("x.dll", data))
            self.assertIn(reason, str(caught.exception))
        with self.assertRaises(PeError) as caught:
            PeImage(self.folder.name)
        self.assertEqual("a folder", str(caught.exception))


class SymbolMatching(Files):
    def test_the_first_copy_of_the_dumps_build_is_taken(self):
        module = dumps.Module("QuavPlusUI.dll", "C:\\x\\QuavPlusUI.dll", 0x10000000, 0x2000, 0x6B181751)
        built = pe_image(sections=[TEXT, DEBUG])
        rebuilt = pe_image(sections=[TEXT, DEBUG], time_stamp=0x6B181751 - 3600)
        cases = [  # (folders: {file name: content}, dump architecture, status, path or reason)
            ([{"QuavPlusUI.dll": built}], "x64", "match", "0/QuavPlusUI.dll"),
            ([{"quavplusui.DLL": built}], "x64", "match", "0/quavplusui.DLL"),
            ([{"QuavPlusUI.dll": rebuilt}, {"QuavPlusUI.dll": built}], "x64", "match", "1/QuavPlusUI.dll"),
            ([{"QuavPlusUI.dll": rebuilt}], "x64", "mismatch", "time stamp 0x6b180941, the dump's 0x6b181751"),
            ([{"QuavPlusUI.dll": pe_image(sections=[TEXT, (".data", 0x2000, b"\0" * 16, False)])}], "x64",
             "mismatch", "image size 0x3000, the dump's 0x2000"),
            ([{"QuavPlusUI.dll": pe_image(machine="x86", sections=[TEXT, DEBUG])}], "x64", "unusable",
             "built for x86, the dump is x64"),
            ([{"QuavPlusUI.dll": b"text"}, {"QuavPlusUI.dll": rebuilt}], "x64", "unusable", "no MZ header"),
            ([{"QuavPlusUI.dll/": b""}], "x64", "unusable", "a folder"),
            ([{"Other.dll": built}], "x64", "none", ""),
        ]
        for number, (folders, architecture, status, detail) in enumerate(cases):
            with self.subTest(number=number):
                paths = []
                for i, files in enumerate(folders):
                    folder = os.path.join(self.folder.name, str(number), str(i))
                    os.makedirs(folder)
                    for name, data in files.items():
                        if name.endswith("/"):
                            os.makedirs(os.path.join(folder, name))
                        else:
                            self.file(os.path.join(folder, name), data)
                    paths.append(folder)
                store = SymbolStore(lambda _, paths=paths: paths)
                self.addCleanup(store.close)
                found = store.find(module, architecture)
                self.assertEqual(status, found.status)
                if status == "match":
                    self.assertTrue(found.path.endswith(detail), found.path)
                else:
                    self.assertIn(detail, found.reason)


if __name__ == "__main__":
    unittest.main()
