# Test driver: runs one headless office process with the add-in's extension installed in its
# profile, and on each command from standard input makes a document, selects in it and presses
# the add-in's button (dispatches its command, as the toolbar does).
#
#   python3 drive_office.py SOFFICE PROFILE_URL PIPE_NAME
# Commands: writer-selection, writer-whole, calc, calc-cell, impress, quit. Answers "pressed <command>",
# "no-button <command>" or "failed <command> <reason>"; "quit" answers "unchanged <n>" with the
# number of documents the presses left exactly as they were, and "toolbar <title>" for the
# toolbar the configuration holds.
import subprocess
import sys
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException

COMMAND = "com.orvikan.yorvane5:Translate"


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def answer(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


class Office:
    def __init__(self, soffice, profile_url, pipe):
        self.process = subprocess.Popen([soffice, "--headless", "--invisible", "--norestore", "--nologo",
                                         "--nodefault", "-env:UserInstallation=" + profile_url,
                                         "--accept=pipe,name=%s;urp;" % pipe],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        self.context = None
        for _ in range(1200):
            try:
                self.context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except NoConnectException:
                time.sleep(0.05)
        if self.context is None:
            raise RuntimeError("the office did not answer")
        self.smgr = self.context.ServiceManager
        self.desktop = self.smgr.createInstanceWithContext("com.sun.star.frame.Desktop", self.context)
        self.documents = []

    def new_document(self, kind):
        return self.desktop.loadComponentFromURL("private:factory/" + kind, "_blank", 0, (prop("Hidden", True),))

    def press(self, document):
        document.setModified(False)
        frame = document.getCurrentController().getFrame()
        url = uno.createUnoStruct("com.sun.star.util.URL")
        url.Complete = COMMAND
        transformer = self.smgr.createInstanceWithContext("com.sun.star.util.URLTransformer", self.context)
        _, url = transformer.parseStrict(url)
        dispatch = frame.queryDispatch(url, "_self", 0)
        if dispatch is None:
            return False
        dispatch.dispatch(url, ())
        return True

    def toolbar_title(self):
        provider = self.smgr.createInstanceWithContext("com.sun.star.configuration.ConfigurationProvider",
                                                       self.context)
        access = provider.createInstanceWithArguments(
            "com.sun.star.configuration.ConfigurationAccess",
            (prop("nodepath", "/org.openoffice.Office.UI.WriterWindowState/UIElements/States"),))
        name = "private:resource/toolbar/addon_com.orvikan.yorvane5.toolbar"
        return access.getByName(name).UIName if access.hasByName(name) else ""


def writer_text(document):
    return document.getText().getString()


def sheet_text(document):
    sheet = document.getSheets().getByIndex(0)
    return [[sheet.getCellByPosition(c, r).getString() for c in range(3)] for r in range(2)]


def slide_text(document):
    page = document.getDrawPages().getByIndex(0)
    return [page.getByIndex(i).getString() for i in range(page.getCount())]


def run(office, command):
    if command.startswith("writer"):
        text_of = writer_text
        document = office.new_document("swriter")
        text = document.getText()
        text.setString("This is a pen.\nI have a book.")
        cursor = text.createTextCursor()
        cursor.gotoStart(False)
        if command == "writer-selection":
            cursor.goRight(len("This is a pen."), True)
        document.getCurrentController().select(cursor)
    elif command.startswith("calc"):
        text_of = sheet_text
        document = office.new_document("scalc")
        sheet = document.getSheets().getByIndex(0)
        for row, cells in enumerate((("pen", "", "book"), ("dog", "cat", "bird"))):
            for column, value in enumerate(cells):
                if value:
                    sheet.getCellByPosition(column, row).setString(value)
        # Whole columns: only the used part of them is handed over. Or a single cell.
        document.getCurrentController().select(sheet.getCellRangeByName("C2" if command == "calc-cell" else "A:C"))
    elif command == "impress":
        text_of = slide_text
        document = office.new_document("simpress")
        page = document.getDrawPages().getByIndex(0)
        shape = document.createInstance("com.sun.star.drawing.TextShape")
        page.add(shape)
        shape.setString("Good morning.")
        shapes = office.smgr.createInstanceWithContext("com.sun.star.drawing.ShapeCollection", office.context)
        shapes.add(shape)
        document.getCurrentController().select(shapes)
    else:
        answer("failed %s unknown" % command)
        return
    office.documents.append((document, text_of, text_of(document)))
    answer(("pressed " if office.press(document) else "no-button ") + command)


def main():
    office = Office(*sys.argv[1:4])
    answer("ready")
    for line in sys.stdin:
        command = line.strip()
        if command == "quit":
            unchanged = sum(1 for document, text_of, before in office.documents
                            if not document.isModified() and text_of(document) == before)
            answer("toolbar " + office.toolbar_title())
            answer("unchanged %d" % unchanged)
            for document, _, _ in office.documents:
                document.close(True)
            try:
                office.desktop.terminate()
            except Exception:
                pass
            office.process.wait(timeout=60)
            return
        try:
            run(office, command)
        except Exception as error:
            answer("failed %s %s" % (command, str(error).replace("\n", " ")))


main()
