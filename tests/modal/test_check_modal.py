"""The modal check itself: a box or dialog shown past core/Modal.h fails it;
the one way, the dialog mechanics beneath it, comments, texts and tests
pass."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(__file__), '..', '..', 'scripts', 'check-modal')

PASSING = [('core/Modal.cpp', 'return ::MessageBoxA(owner, text.c_str(), caption.c_str(), style);'),
           ('core/Modal.h', 'return dialog.DoModal(shownBy);'),
           ('platform/DialogImpl.cpp', '::DialogBoxParamA(instance, name, parent, DialogProc, self);'),
           ('platform/PropertySheet.cpp', 'return ::PropertySheetA(&header);'),
           ('ui/A.cpp', 'ShowMessageBox(m_hWnd, "no MessageBox(here)", kCaption, MB_OK);'),
           ('ui/A.cpp', 'ShowModal(dialog, owner, IfOwnerGoes::kNoAnswer); // not dialog.DoModal(owner)'),
           ('tests/ui/T.cpp', 'EXPECT_EQ(IDOK, about.DoModal(nullptr));')]
FAILING = [('addin/A.cpp', 'prompter.DoModal(owner);'),
           ('ui/B.h', 'INT_PTR result = CPropertySheet::DoModal(owner);'),
           ('gateway/G.cpp', '::MessageBoxA(parent, text, caption, MB_OK);'),
           ('contacts/K.cpp', 'MessageBoxW(nullptr, L"", L"", MB_OK);'),
           ('core/C.cpp', '::MessageBoxA(owner, text.c_str(), caption.c_str(), style);'),
           ('ui/D.cpp', '::DialogBoxParamA(instance, name, parent, proc, 0);')]


def run_check(lines):
    with tempfile.TemporaryDirectory() as root:
        for path, line in lines:
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), 'a', encoding='utf-8') as f:
                f.write(line + '\n')
        return subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)


class CheckModal(unittest.TestCase):
    def test_the_one_way_and_its_mechanics_pass(self):
        result = run_check(PASSING)
        self.assertEqual(0, result.returncode, result.stdout)

    def test_calls_past_the_one_way_fail(self):
        for path, line in FAILING:
            with self.subTest(path=path):
                result = run_check([(path, line)])
                self.assertEqual(1, result.returncode, result.stdout)
                self.assertIn(f'{path}:1:', result.stdout)


if __name__ == '__main__':
    unittest.main()
