"""The parts of an HTML report that the checks compare, read by Python's HTML parser:
every tag with its attributes, the item rows as [status, designator, result], the run's
facts (name: value), the verdict and the outcome's words."""
import html.parser

STATUSES = ("passed", "failed", "error")


class ReportPage(html.parser.HTMLParser):
    def __init__(self, markup):
        super().__init__()
        self.tags, self.rows, self.facts, self.outcome, self.verdict = [], [], {}, "", ""
        self._cells = self._text = self._row_class = None
        self._in_outcome = self._in_verdict = False
        self.feed(markup)
        self.close()

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.tags.append((tag, attrs))
        if tag == "tr":
            self._cells, self._row_class = [], attrs.get("class")
        elif tag in ("td", "th") and self._cells is not None:
            self._text = ""
        elif tag == "p" and attrs.get("id") == "outcome":
            self._in_outcome = True
        elif tag == "p" and attrs.get("id") == "verdict":
            self._in_verdict = True

    def handle_endtag(self, tag):
        if tag in ("td", "th") and self._text is not None:
            self._cells.append(self._text)
            self._text = None
        elif tag == "tr" and self._cells is not None:
            if self._row_class in STATUSES:
                # Status mark, designator, result, ...
                self.rows.append([self._row_class] + self._cells[1:3])
            elif len(self._cells) == 2:
                self.facts[self._cells[0]] = self._cells[1]
            self._cells = None
        elif tag == "p":
            self._in_outcome = self._in_verdict = False

    def handle_data(self, data):
        if self._text is not None:
            self._text += data
        if self._in_outcome:
            self.outcome += data
        if self._in_verdict:
            self.verdict += data
