"""The Windows package: every entry of the zip lies below one top folder named like the
zip, and the installed files are all there (so it never unpacks loose into a folder)."""
import os
import sys
import zipfile

zip_path, wanted = sys.argv[1], sys.argv[2].split(";")
top = os.path.splitext(os.path.basename(zip_path))[0] + "/"
with zipfile.ZipFile(zip_path) as z:
    names = [n for n in z.namelist() if not n.endswith("/")]
loose = [n for n in names if not n.startswith(top)]
if loose:
    sys.exit("entries outside %s: %r" % (top, loose))
missing = sorted(set(top + f for f in wanted) - set(names))
if missing:
    sys.exit("missing from the zip: %r" % missing)
print("%d files below %s" % (len(names), top))
