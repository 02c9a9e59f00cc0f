#!/usr/bin/env python3
"""Every project file the docs name exists: README.md and docs/*.md are read for paths into the
project's own folders (app/window.cpp, platform/linux/, scripts/test.sh, ...), and each must be
there. A stem names its files (app/window.* is the header and its source); a glob or a pattern
(app/*.cpp, frame_NNNNNN.png) is not a name and is left alone.

    doc_paths.py [PROJECT_ROOT]      exit 0 when every named file exists, 1 with the list if not
"""
import pathlib
import re
import sys

folders = "app|platform|textures|elements|scenes|capture|data|bench|tests|scripts|cmake|packaging|docs"
# A path starts at a word boundary with one of the project's folders and runs over path characters.
pathPattern = re.compile(r"(?<![\w./-])((?:%s)/[\w./-]*[\w/])(\.\*)?" % folders)


def namedPaths(text):
    for match in pathPattern.finditer(text):
        path = match.group(1)
        if "*" in path or "..." in path or "NNN" in path or text[match.end():match.end() + 1] == "*":
            continue
        # "app/window.*": the files of that stem, the header and its source.
        yield path + (".*" if match.group(2) else "")


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    documents = [root / "README.md"] + sorted((root / "docs").glob("*.md"))
    missing = []
    for document in documents:
        for number, line in enumerate(document.read_text(encoding="utf-8").splitlines(), 1):
            for path in namedPaths(line):
                # Build outputs are named as they will be, not as the source tree holds them.
                if path.startswith(("build/", "dist/")):
                    continue
                if path.endswith(".*"):
                    found = any(candidate.is_file() for candidate in root.glob(path))
                else:
                    found = (root / path.rstrip(".")).exists()
                if not found:
                    missing.append("%s:%d: %s" % (document.relative_to(root), number, path))
    for line in missing:
        print("no such file: " + line)
    if not missing:
        print("doc_paths: every file the docs name exists (%d documents)" % len(documents))
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
