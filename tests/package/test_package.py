"""The Debian package, the man pages and the bash completion.

    test_package.py GROUP       GROUP: DebInstallsAndRuns, ManPagesRender,
                                HelpMatchesManPage, Completion, WindowsZip
Environment: K470 and K470SIM (the build's programs), K470_BUILD (the native build folder,
for cpack; the Windows build folder, which holds the zip), K470_SOURCE (the source tree).

The option lists are read from the programs' --help texts (a command's options are those
of its usage lines), so a new option only needs its entry in the man page and in the
completion script.
"""

import os
import re
import subprocess
import sys
import tempfile
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "cli_ram"))
import srec  # noqa: E402
from sim import Sim  # noqa: E402

K470 = os.environ.get("K470", "k470")
K470SIM = os.environ.get("K470SIM", "k470sim")
BUILD = os.environ.get("K470_BUILD", "")
SOURCE = os.environ.get("K470_SOURCE", os.path.join(HERE, "..", ".."))
MAN_K470 = os.path.join(SOURCE, "man", "k470.1")
MAN_K470SIM = os.path.join(SOURCE, "man", "k470sim.1")
COMPLETION = os.path.join(SOURCE, "packaging", "k470.bash-completion")
RUN_TIMEOUT_S = 120

# Options documented before the tool has them, allowed to be absent from --help until
# the change that adds them is merged; drop a row once the option is in the tool.
DOCUMENTED_AHEAD = {}

OPTION = re.compile(r"--[a-z0-9][a-z0-9-]*")


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, timeout=RUN_TIMEOUT_S, **kw)


# --- what the programs say ---------------------------------------------------------------

def tool_commands():
    """The commands that "k470 --help" lists: lines "  name  summary"."""
    out = run([K470, "--help"]).stdout
    return [m.group(1) for m in re.finditer(r"^  ([a-z]+)  +\S", out, re.M)]


def command_options(command):
    """The options in the usage lines of "k470 COMMAND --help": the first line and the
    continuation lines indented deeper than the description."""
    lines = run([K470, command, "--help"]).stdout.splitlines()
    usage = lines[:1] + [l for l in lines[1:] if l.startswith("   ")]
    return set(OPTION.findall(" ".join(usage)))


def sim_options():
    out = run([K470SIM, "--help"]).stdout
    return set(m.group(1) for m in re.finditer(r"^  (?:-h, )?(--[a-z0-9-]+)", out, re.M))


# --- what the man pages say --------------------------------------------------------------

def man_sections(path):
    """{(section, subsection): [tag line of each .TP]} of a man page."""
    sections = {}
    section, subsection, tag_next = None, None, False
    with open(path, encoding="utf-8") as page:
        lines = page.read().splitlines()
    for line in lines:
        if line.startswith(".SH "):
            section, subsection = line[4:].strip('"'), None
        elif line.startswith(".SS "):
            subsection = line[4:].strip('"').split()[0]
        elif tag_next:
            sections.setdefault((section, subsection), []).append(line)
        sections.setdefault((section, subsection), [])
        tag_next = line == ".TP"
    return sections


def man_options(tags):
    return set(o.replace("\\-", "-") for tag in tags for o in
               re.findall(r"\\-\\-[a-z0-9][a-z0-9\\-]*", tag))


# --- completion --------------------------------------------------------------------------

def complete(*words, path=None):
    """The completions of the last word of "k470 WORDS...", as bash quotes them."""
    script = ('source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); '
              'COMPREPLY=(); _k470; printf "%s\\n" "${COMPREPLY[@]}"')
    env = dict(os.environ, PATH=path or os.path.dirname(K470) + os.pathsep + os.environ["PATH"])
    p = run(["bash", "-c", script, "bash", COMPLETION, "k470"] + list(words), env=env)
    return [l for l in p.stdout.splitlines() if l]


def check_options(test, command, said, documented, where):
    missing = said - documented
    extra = documented - said - DOCUMENTED_AHEAD.get(command, set())
    test.assertFalse(missing, "%s: options of --help missing in %s" % (command, where))
    test.assertFalse(extra, "%s: options in %s that --help does not show" % (command, where))


class HelpMatchesManPage(unittest.TestCase):
    def test_every_command_and_its_options_are_in_the_man_page(self):
        sections = man_sections(MAN_K470)
        man_commands = [sub for (sec, sub) in sections if sec == "COMMANDS" and sub]
        commands = tool_commands()
        self.assertEqual(commands, man_commands)
        for command in commands:
            with self.subTest(command=command):
                check_options(self, command, command_options(command),
                              man_options(sections[("COMMANDS", command)]), "k470(1)")

    def test_the_simulators_options_are_in_its_man_page(self):
        sections = man_sections(MAN_K470SIM)
        documented = man_options(sections[("OPTIONS", None)] + sections[("FAULTS", None)])
        self.assertEqual(sim_options(), documented)


class ManPagesRender(unittest.TestCase):
    def test_groff_renders_both_pages_without_warnings(self):
        for page in (MAN_K470, MAN_K470SIM):
            with self.subTest(page=os.path.basename(page)):
                p = run(["groff", "-ww", "-z", "-man", "-Tutf8", page])
                self.assertEqual((p.returncode, p.stderr), (0, ""))


class Completion(unittest.TestCase):
    def test_complete_is_set_and_commands_complete(self):
        p = run(["bash", "-c", 'source "$1" && complete -p k470', "bash", COMPLETION])
        self.assertEqual(p.stdout.strip(), "complete -F _k470 k470")
        self.assertEqual(complete("fl"), ["flash"])
        self.assertEqual(complete(""), tool_commands() + ["--help", "--version"])

    def test_each_commands_options_are_those_of_its_help(self):
        for command in tool_commands():
            with self.subTest(command=command):
                offered = set(complete(command, "--")) - {"--help"}
                check_options(self, command, command_options(command), offered, "completion")

    def test_device_names_come_from_the_table_given_on_the_line(self):
        self.assertEqual(complete("flash", "--device", "H8/3"), ["H8/3069F", "H8/36077"])
        with tempfile.NamedTemporaryFile("w", suffix=".dat", delete=False) as table:
            table.write("[Type]\nType0=A\nType1=B\n[A]\nName=My Board 2\nId=0\nClk=20\n"
                        "[B]\nName=Other\nId=1\nClk=20\n")
        self.addCleanup(os.remove, table.name)
        self.assertEqual(complete("flash", "--table", table.name, "--device", ""),
                         ["My\\ Board\\ 2", "Other"])
        self.assertEqual(complete("flash", "--table", "=", table.name, "--device", "=", "O"),
                         ["Other"])

    def test_ports_are_those_that_k470_ports_lists(self):
        rows = run([K470, "ports"]).stdout.splitlines()[1:]
        listed = [word for row in rows for word in row.split()[:2]]
        self.assertEqual(sorted(complete("ramload", "--port", "")), sorted(listed))
        self.assertEqual(complete("flash", "--bps", "3"), ["38400"])


class DebInstallsAndRuns(unittest.TestCase):
    """Builds the package with cpack, unpacks it into a fresh root and runs the programs
    from there; lintian reports no error."""

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory()
        p = run(["cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"),
                 "-B", cls.work.name])
        if p.returncode != 0:
            raise AssertionError("cpack failed:\n" + p.stdout + p.stderr)
        debs = [f for f in os.listdir(cls.work.name) if f.endswith(".deb")]
        cls.deb = os.path.join(cls.work.name, debs[0]) if len(debs) == 1 else None
        cls.root = os.path.join(cls.work.name, "root")
        if cls.deb:
            subprocess.run(["dpkg", "-x", cls.deb, cls.root], check=True, timeout=RUN_TIMEOUT_S)

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def installed(self, path):
        return os.path.join(self.root, path.lstrip("/"))

    def test_name_fields_and_files(self):
        self.assertIsNotNone(self.deb)
        self.assertEqual(os.path.basename(self.deb), "k470_2.00_amd64.deb")
        field = lambda name: run(["dpkg-deb", "-f", self.deb, name]).stdout.strip()
        self.assertEqual(field("Section"), "electronics")
        for library in ("libc6", "libstdc++6"):
            self.assertIn(library, field("Depends"))
        for path in ("/usr/bin/k470", "/usr/bin/k470sim", "/usr/share/k470/fw.dat",
                     "/usr/share/k470/sim-write-control.mot", "/usr/share/man/man1/k470.1.gz",
                     "/usr/share/man/man1/k470sim.1.gz", "/usr/share/doc/k470/copyright",
                     "/usr/share/doc/k470/README.md",
                     "/usr/share/bash-completion/completions/k470"):
            self.assertTrue(os.path.isfile(self.installed(path)), path)

    def test_devices_reads_the_installed_table(self):
        p = run([self.installed("/usr/bin/k470"), "devices"])
        self.assertEqual(p.returncode, 0, p.stderr)
        self.assertIn("H8/3069F", p.stdout)
        self.assertIn("H8/36077", p.stdout)
        # The default write-control program is looked for beside the installed table (the
        # package ships none: the transfer fails and names the path).
        image = os.path.join(self.root, "image.mot")
        with open(image, "w") as f:
            f.write("S1060000010203F3\n")
        sim = Sim("h8-36077", "--no-pacing", binary=self.installed("/usr/bin/k470sim")).start()
        try:
            p = run([self.installed("/usr/bin/k470"), "flash", "--port", sim.port,
                     "--device", "H8/36077", image])
        finally:
            sim.stop()
        self.assertEqual(p.returncode, 1, p.stderr)
        self.assertIn("write-control program " + self.installed("/usr/share/k470/36077.mot") +
                      ": No such file or directory", p.stderr)

    def test_ram_load_into_the_installed_simulator(self):
        blocks = [(0x200000, srec.pattern(0x200000, 3000))]
        with tempfile.NamedTemporaryFile("w", suffix=".mot", delete=False) as image:
            image.write(srec.s2_records(blocks))
        self.addCleanup(os.remove, image.name)
        sim = Sim("monitor", "--no-pacing", binary=self.installed("/usr/bin/k470sim")).start()
        try:
            p = run([self.installed("/usr/bin/k470"), "ramload", "--port", sim.port, image.name])
        finally:
            result = sim.stop()
        self.assertEqual(p.returncode, 0, p.stderr)
        self.assertEqual(result.memory, srec.ram_image(blocks))

    def test_lintian_reports_no_error(self):
        p = run(["lintian", "--fail-on", "error", self.deb])
        self.assertEqual(p.returncode, 0, p.stdout + p.stderr)
        self.assertNotRegex(p.stdout, r"(?m)^E: ")


class WindowsZip(unittest.TestCase):
    def test_readme_lies_beside_the_program_in_code_page_932(self):
        zips = [f for f in os.listdir(BUILD) if re.fullmatch(r"K470Loader-.*\.zip", f)]
        self.assertEqual(len(zips), 1, zips)
        with zipfile.ZipFile(os.path.join(BUILD, zips[0])) as z:
            names = z.namelist()
            exe = [n for n in names if n.endswith("K470Loader.exe")]
            readme = [n for n in names if n.endswith("README.txt")]
            self.assertEqual(len(exe), 1, names)
            self.assertEqual(readme, [exe[0][:-len("K470Loader.exe")] + "README.txt"])
            data = z.read(readme[0])
        text = data.decode("cp932")
        self.assertEqual(data.count(b"\n"), data.count(b"\r\n"))
        japanese, _, english = text.partition("[English]")
        self.assertIn("[日本語]", japanese)
        for part, words in ((japanese, ("メーカー", "K470Loader.ini")),
                            (english, ("maker", "K470Loader.ini"))):
            for word in ("K470Loader.exe", "bin\\36077.mot", "help\\help_ja.html") + words:
                self.assertIn(word, part)


if __name__ == "__main__":
    unittest.main()
