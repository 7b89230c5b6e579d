"""The layer check itself: a planted upward include fails it, the allowed
directions and the one-file exceptions pass."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
CHECKER = os.path.join(SOURCE, 'scripts', 'check-layers')


class CheckLayers(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp()
        shutil.copy(os.path.join(SOURCE, 'LAYERS'), self.root)

    def tearDown(self):
        shutil.rmtree(self.root)

    def plant(self, path, include):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, 'a', encoding='utf-8') as f:
            f.write(f'#include "{include}"\n')

    def run_check(self):
        return subprocess.run([sys.executable, CHECKER, self.root], capture_output=True, text=True)

    def test_allowed_directions_pass(self):
        self.plant('addin/A.cpp', 'ui/B.h')
        self.plant('ui/B.cpp', 'addin/A.h')
        self.plant('gateway/G.cpp', 'bulkjob/J.h')
        self.plant('bulkjob/J.h', 'gateway/ZentavoSMSGatewaySubmission.h')
        self.plant('bulkjob/service/S.cpp', 'bulkjob/J.h')
        self.plant('core/C.h', 'platform/P.h')
        self.plant('core/C.cpp', 'stdsoap2.h')
        result = self.run_check()
        self.assertEqual(0, result.returncode, result.stdout)

    def test_upward_includes_fail(self):
        cases = [('core/C.h', 'addin/ZentavoSMSOutlookPlugin.h'),
                 ('gateway/G.cpp', 'addin/ZentavoSMSOutlookPlugin.h'),
                 ('bulkjob/J.cpp', 'gateway/SMSGatewayProxy.h'),
                 ('contacts/K.cpp', 'ui/SendSMSDlg.h'),
                 ('platform/P.h', 'core/Exceptions.h'),
                 ('addin/A.cpp', 'tests/support/FakeOutlook.h')]
        for path, include in cases:
            with self.subTest(path=path, include=include):
                self.tearDown()
                self.setUp()
                self.plant(path, include)
                result = self.run_check()
                self.assertEqual(1, result.returncode, result.stdout)
                self.assertIn(f'{path}:1:', result.stdout)


if __name__ == '__main__':
    unittest.main()
