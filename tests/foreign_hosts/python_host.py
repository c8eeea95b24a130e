#!/usr/bin/env python3
"""A host written in Python (ctypes): opens a connection through the runtime's C interface,
loads the module, shows the browse window on that connection and closes the connection.

    python_host.py RUNTIME_PATH MODULE_PATH CONNECTION_STRING

Prints the module's version; exits 1 on any failure, with the reason on stderr.
"""
import ctypes
import sys


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    runtime_path, module_path, connection_string = sys.argv[1:]
    # The runtime first and global, so that the module binds to this very copy.
    runtime = ctypes.CDLL(runtime_path, mode=ctypes.RTLD_GLOBAL)
    runtime.QelvorOpenConnection.argtypes = [ctypes.c_char_p]
    runtime.QelvorOpenConnection.restype = ctypes.c_void_p
    runtime.QelvorCloseConnection.argtypes = [ctypes.c_void_p]
    runtime.QelvorCloseConnection.restype = None
    runtime.QelvorLastError.argtypes = []
    runtime.QelvorLastError.restype = ctypes.c_char_p

    connection = runtime.QelvorOpenConnection(connection_string.encode("utf-8"))
    if not connection:
        print("cannot open the connection:", runtime.QelvorLastError().decode("utf-8"), file=sys.stderr)
        return 1
    try:
        module = ctypes.CDLL(module_path)
        module.GetVersion.argtypes = []
        module.GetVersion.restype = ctypes.c_char_p
        module.ShowFormStatus.argtypes = [ctypes.c_size_t] + [ctypes.c_int32] * 6 + [ctypes.c_void_p]
        module.ShowFormStatus.restype = ctypes.c_int32
        print("module version", module.GetVersion().decode("ascii"), flush=True)
        if module.ShowFormStatus(0, 0, 0, 0, 0, 0, 0, connection) != 0:
            print("cannot show the browse window:", runtime.QelvorLastError().decode("utf-8"), file=sys.stderr)
            return 1
    finally:
        runtime.QelvorCloseConnection(connection)
    print("browse window closed", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
