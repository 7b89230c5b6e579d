"""The modal check itself: a box or dialog shown past core/Modal.h fails it;
the one way, the dialog mechanics beneath it, comments, texts and tests
pass."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
CHECKER = os.path.join(SOURCE, 'scripts', 'check-modal')


class CheckModal(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp()

    def tearDown(self):
        shutil.rmtree(self.root)

    def plant(self, path, line):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, 'a', encoding='utf-8') as f:
            f.write(line + '\n')

    def run_check(self):
        return subprocess.run([sys.executable, CHECKER, self.root], capture_output=True, text=True)

    def test_the_one_way_and_its_mechanics_pass(self):
        self.plant('core/Modal.cpp', 'return ::MessageBoxA(owner, text.c_str(), caption.c_str(), style);')
        self.plant('core/Modal.h', 'return dialog.DoModal(shownBy);')
        self.plant('platform/DialogImpl.cpp', '::DialogBoxParamA(instance, name, parent, DialogProc, self);')
        self.plant('platform/PropertySheet.cpp', 'return ::PropertySheetA(&header);')
        self.plant('ui/A.cpp', 'ShowMessageBox(m_hWnd, "no MessageBox(here)", kCaption, MB_OK);')
        self.plant('ui/A.cpp', 'ShowModal(dialog, owner, IfOwnerGoes::kNoAnswer); // not dialog.DoModal(owner)')
        self.plant('tests/ui/T.cpp', 'EXPECT_EQ(IDOK, about.DoModal(nullptr));')
        result = self.run_check()
        self.assertEqual(0, result.returncode, result.stdout)

    def test_calls_past_the_one_way_fail(self):
        cases = [('addin/A.cpp', 'prompter.DoModal(owner);'),
                 ('ui/B.h', 'INT_PTR result = CPropertySheet::DoModal(owner);'),
                 ('gateway/G.cpp', '::MessageBoxA(parent, text, caption, MB_OK);'),
                 ('contacts/K.cpp', 'MessageBoxW(nullptr, L"", L"", MB_OK);'),
                 ('core/C.cpp', '::MessageBoxA(owner, text.c_str(), caption.c_str(), style);'),
                 ('ui/D.cpp', '::DialogBoxParamA(instance, name, parent, proc, 0);')]
        for path, line in cases:
            with self.subTest(path=path, line=line):
                self.tearDown()
                self.setUp()
                self.plant(path, line)
                result = self.run_check()
                self.assertEqual(1, result.returncode, result.stdout)
                self.assertIn(f'{path}:1:', result.stdout)


if __name__ == '__main__':
    unittest.main()
