"""Reads the sample messages with Python's standard MIME parser and checks
recipients, subject, text lines, attachments and the line format."""
import email
import email.policy
import os
import sys
import unittest

FOLDER = sys.argv.pop(1) if len(sys.argv) > 1 else "."


def load(name):
    with open(os.path.join(FOLDER, name), "rb") as f:
        raw = f.read()
    return raw, email.message_from_bytes(raw, policy=email.policy.default)


def attachments(message):
    return [(part.get_filename(), part.get_payload(decode=True)) for part in message.iter_attachments()]


def source(name):
    with open(os.path.join(FOLDER, name), "rb") as f:
        return f.read()


class LineFormat(unittest.TestCase):
    def test_every_line_ends_in_crlf_and_keeps_its_length(self):
        for name in ("run.eml", "odd.eml"):
            raw, _ = load(name)
            self.assertTrue(raw.endswith(b"\r\n"), name)
            lines = raw.split(b"\r\n")[:-1]
            for line in lines:
                self.assertNotIn(b"\n", line, name)
                self.assertNotIn(b"\r", line, name)
                self.assertLessEqual(len(line), 78, (name, line[:40]))


class ReportRunMail(unittest.TestCase):
    def setUp(self):
        self.raw, self.message = load("run.eml")

    def test_headers(self):
        m = self.message
        self.assertEqual([a.addr_spec for a in m["To"].addresses], ["customer@example.com", "admin@example.org"])
        self.assertEqual(m["Subject"], "Here are your Web Site reports generated on Friday, March 01, 2024")
        self.assertEqual(m["MIME-Version"], "1.0")
        self.assertEqual(m.get_content_type(), "multipart/mixed")
        self.assertIsNotNone(m["Date"].datetime)
        self.assertEqual(m["Message-ID"], "<1.sample@larkspan.localhost>")
        self.assertEqual(m["X-Unsent"], "1")
        self.assertEqual(m.defects, [])

    def test_text_lines(self):
        body = self.message.get_body(preferencelist=("plain",))
        self.assertEqual(body.get_content().splitlines(), [
            "Here are your Web Site reports generated on Friday, March 01, 2024",
            "Report Listing:",
            " General Web Statistics and Report Index (eindex.html)",
            " Browser Analysis",
            " - Top Browser Types (eLKRBrowsers.html)",
            " - User Agent Operating Systems (eLKRAgentsOS.html)",
            " Page Analysis",
            " - Most Popular Pages (LKRPages.html)",
        ])

    def test_attachments_in_order_and_whole(self):
        names = ["eLKRBrowsers.html", "eLKRAgentsOS.html", "LKRPages.html", "eindex.html"]
        found = attachments(self.message)
        self.assertEqual([n for n, _ in found], names)
        for name, data in found:
            self.assertEqual(data, source(name), name)
        for part in self.message.iter_attachments():
            self.assertEqual(part.get_content_type(), "text/html")
            self.assertEqual(part.get_content_disposition(), "attachment")


class UnusualMail(unittest.TestCase):
    def setUp(self):
        self.raw, self.message = load("odd.eml")

    def test_no_forged_header(self):
        self.assertIsNone(self.message["Bcc"])
        self.assertEqual(len(self.message.get_all("To")), 1)

    def test_recipients_split_in_order(self):
        addresses = [a.addr_spec for a in self.message["To"].addresses]
        self.assertEqual(addresses[:3], ["zoe@example.com", "second@example.com", "third@example.net"])
        self.assertEqual(self.message["To"].addresses[0].display_name, "Zo\u00eb")
        self.assertNotIn(b"Zo\xc3\xab", self.raw)

    def test_encoded_subject(self):
        self.assertEqual(self.message["Subject"], "Rapports du caf\u00e9 \u2014 " + "z" * 80)

    def test_text_lines_survive_encoding(self):
        body = self.message.get_body(preferencelist=("plain",))
        lines = body.get_content().splitlines()
        self.assertEqual(lines[0], "Ligne en 8 bits: caf\u00e9")
        self.assertEqual(lines[1], "L" * 1200)
        self.assertEqual(lines[2], "  trailing blanks  ")
        self.assertEqual(lines[3], "=3D stays literal")

    def test_binary_and_odd_names(self):
        found = attachments(self.message)
        self.assertEqual([n for n, _ in found], ['chart "one".jpg', "r\u00e9sum\u00e9.csv"])
        self.assertEqual(found[0][1], source('chart "one".jpg'))
        self.assertEqual(found[1][1], source("r\u00e9sum\u00e9.csv"))
        self.assertEqual(list(self.message.iter_attachments())[0].get_content_type(), "image/jpeg")


if __name__ == "__main__":
    unittest.main()
