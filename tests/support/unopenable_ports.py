"""Ports that k470 cannot open, each for a reason of its own: a path that does not exist,
a file without permission (mode 000), and a pseudo-terminal that another process (this
one) holds with the tool's own locking, flock and the exclusive mode."""

import contextlib
import errno
import fcntl
import os
import tempfile
import termios

# Who runs the tool when the tests run as root, which passes every file mode.
NOBODY_UID = 65534


@contextlib.contextmanager
def unopenable_ports():
    """Yields (path, the system's reason) for each of the three ports."""
    with tempfile.TemporaryDirectory(prefix="k470-ports-") as folder:
        os.chmod(folder, 0o755)  # the file's own mode refuses, not its folder's
        no_permission = os.path.join(folder, "mode-000")
        with open(no_permission, "w"):
            pass
        os.chmod(no_permission, 0)
        master, slave = os.openpty()
        try:
            fcntl.flock(slave, fcntl.LOCK_EX | fcntl.LOCK_NB)
            fcntl.ioctl(slave, termios.TIOCEXCL)
            held = os.ttyname(slave)
            os.chmod(held, 0o666)  # only the holder keeps the tool out
            yield [(os.path.join(folder, "no-such-tty"), os.strerror(errno.ENOENT)),
                   (no_permission, os.strerror(errno.EACCES)),
                   (held, os.strerror(errno.EBUSY))]
        finally:
            os.close(slave)
            os.close(master)


def unprivileged():
    """For preexec_fn: a tool started by root gives up root first."""
    if os.geteuid() == 0:
        os.setuid(NOBODY_UID)
