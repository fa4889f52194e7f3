"""Reads the CSV files of a report run with Python's csv module, as a
spreadsheet would, and checks that log text stays inside its cells, runs no
formula and arrives whole."""
import csv
import glob
import os
import sys
import unittest

FOLDER = sys.argv.pop(1) if len(sys.argv) > 1 else "."
LONG_URL = ("https://www.example.org/a/very/long/path/that/goes/on/and/on/well/past/the/width/a/page/line/"
            "allows?first=1&second=2&third=3&fourth=4&fifth=5")


def rows(name):
    with open(os.path.join(FOLDER, name), newline="", encoding="utf-8") as f:
        return list(csv.reader(f, strict=True))


def cells(name):
    return [cell for row in rows(name) for cell in row]


def first_cells(name):
    return [row[0] for row in rows(name) if row]


class EveryFile(unittest.TestCase):
    def test_files_parse_into_at_most_five_columns_and_run_no_formula(self):
        names = [os.path.basename(p) for p in glob.glob(os.path.join(FOLDER, "*.csv"))]
        self.assertGreaterEqual(len(names), 10)
        for name in names:
            table = rows(name)
            self.assertTrue(table, name)
            for row in table:
                self.assertLessEqual(len(row), 5, (name, row))
                for cell in row:
                    self.assertFalse(cell[:1] in ("=", "+", "-", "@", "\t", "\r"), (name, cell))


class LogText(unittest.TestCase):
    def test_commas_and_quotes_stay_in_one_cell(self):
        self.assertIn('Quoted "agent", with a comma/1.0', first_cells("LKRBrowsers.csv"))
        self.assertIn("/a,b.html", first_cells("LKRPages.csv"))

    def test_formulas_are_shown_as_text(self):
        browsers = first_cells("LKRBrowsers.csv")
        for expected in ("'=HYPERLINK(\"http://evil.example/\")", "'@SUM(A1)", "'-2 3"):
            self.assertIn(expected, browsers)

    def test_search_words_are_decoded_and_shown_as_text(self):
        self.assertIn("'=cmd|1 two", cells("LKRReferringSEKWP.csv"))

    def test_a_long_referrer_arrives_whole(self):
        self.assertIn(LONG_URL, first_cells("LKRReferringURL.csv"))


class Numbers(unittest.TestCase):
    def test_kilobyte_amounts_with_thousands_separators_are_one_cell(self):
        amounts = [row[2] for row in rows("LKRUsageByKB.csv") if len(row) == 5 and ":59" in row[0]]
        self.assertTrue(amounts)
        self.assertTrue(any("," in a for a in amounts), amounts)
        for amount in amounts:
            self.assertRegex(amount, r"^\d{1,3}(,\d{3})*\.\d\d$")


if __name__ == "__main__":
    unittest.main()
