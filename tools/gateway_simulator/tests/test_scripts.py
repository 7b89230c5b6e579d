import unittest

from gwsim.exchange import Reply
from gwsim.scripts import ScriptError, ScriptQueues, ScriptedReply


class ScriptedReplyTest(unittest.TestCase):
    def reply(self, description, normal=None):
        return ScriptedReply(description).make_reply(normal or Reply("BALANCE:5"))

    def test_contents(self):
        self.assertEqual(self.reply({"error": "LOGIN_INVALID"}).body, b"ERR:LOGIN_INVALID")
        self.assertEqual(self.reply({"delay": 30}).body, b"DELAY:30")
        self.assertEqual(self.reply({"body": "a\u0000b"}).body, b"a\x00b")
        self.assertEqual(self.reply({"body_hex": "00ff41"}).body, b"\x00\xffA")
        self.assertTrue(self.reply({"drop": True}).drop)

    def test_modifiers_apply_to_the_normal_answer(self):
        self.assertFalse(ScriptedReply({"wait": 2}).replaces_answer)
        reply = self.reply({"wait": 2.5, "http_status": 500, "truncate_at": 3, "head_truncate_at": 9})
        self.assertEqual((reply.body, reply.status, reply.wait, reply.truncate_at, reply.head_truncate_at),
                         (b"BALANCE:5", 500, 2.5, 3, 9))

    def test_replace_rewrites_the_answer_before_any_cut(self):
        normal = Reply("12345,ERR:INVALID_NUMBER\n+447700900001,ID:1")
        reply = ScriptedReply({"replace": {"INVALID_NUMBER": "NUMBER_BARRED"}, "truncate_at": 20}).make_reply(normal)
        self.assertEqual(reply.body, b"12345,ERR:NUMBER_BARRED\n+447700900001,ID:1")
        self.assertEqual(reply.truncate_at, 20)
        self.assertFalse(ScriptedReply({"replace": {"A": "B"}}).replaces_answer)

    def test_invalid_descriptions_are_refused(self):
        for description in ({"error": "X", "delay": 1}, {"bogus": 1}, {"http_status": 99},
                     {"wait": -1}, {"repeat": 0}, {"body_hex": "0g"}, {"body": 5},
                     {"truncate_at": -2}, {"head_truncate_at": -1}, "ERR:X",
                     {"replace": ["A", "B"]}, {"replace": {"": "B"}}, {"replace": {"A": 1}}):
            with self.assertRaises(ScriptError, msg=repr(description)):
                ScriptedReply(description)


class ScriptQueuesTest(unittest.TestCase):
    def test_replies_come_in_order_per_page(self):
        queues = ScriptQueues()
        self.assertEqual(queues.add("sendmsg.aspx", [{"error": "A"}, {"error": "B", "repeat": 2}]), 3)
        queues.add("/api/https/getbalance.aspx", [{"error": "C"}])
        send_keys = ["api/https/sendmsg.aspx", "sendmsg.aspx"]
        self.assertEqual(queues.take(["api/https/getbalance.aspx", "getbalance.aspx"]).description["error"], "C")
        self.assertEqual([queues.take(send_keys).description["error"] for _ in range(3)], ["A", "B", "B"])
        self.assertIsNone(queues.take(send_keys))

    def test_any_page_comes_after_the_page_queue(self):
        queues = ScriptQueues()
        queues.add("*", [{"error": "ANY"}])
        queues.add("sendmsg.aspx", [{"error": "OWN"}])
        self.assertEqual(queues.take(["sendmsg.aspx"]).description["error"], "OWN")
        self.assertEqual(queues.take(["getbalance.aspx"]).description["error"], "ANY")
        self.assertEqual(queues.pending(), {})

    def test_a_bad_description_queues_nothing(self):
        queues = ScriptQueues()
        with self.assertRaises(ScriptError):
            queues.add("sendmsg.aspx", [{"error": "A"}, {"nonsense": True}])
        self.assertEqual(queues.pending(), {})


if __name__ == "__main__":
    unittest.main()
