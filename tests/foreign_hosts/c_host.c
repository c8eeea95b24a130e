/* A host written in C: opens a connection through the runtime's C interface, loads the
 * module, shows the browse window on that connection and closes the connection after.
 *   c_host MODULE_PATH CONNECTION_STRING
 * Prints the module's version; exits 1 on any failure, with the reason on stderr. */
#include <dlfcn.h>
#include <stdio.h>

#include <qelvor/qelvor.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s MODULE_PATH CONNECTION_STRING\n", argv[0]);
        return 2;
    }
    QelvorConnection* connection = QelvorOpenConnection(argv[2]);
    if (connection == NULL) {
        fprintf(stderr, "cannot open the connection: %s\n", QelvorLastError());
        return 1;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (module == NULL) {
        fprintf(stderr, "cannot load the module: %s\n", dlerror());
        QelvorCloseConnection(connection);
        return 1;
    }
    QelvorGetVersionFunction getVersion = (QelvorGetVersionFunction)dlsym(module, QELVOR_GET_VERSION_NAME);
    QelvorShowFormStatusFunction showForm =
        (QelvorShowFormStatusFunction)dlsym(module, QELVOR_SHOW_FORM_STATUS_NAME);
    if (getVersion == NULL || showForm == NULL) {
        fprintf(stderr, "the module lacks its exports\n");
        QelvorCloseConnection(connection);
        return 1;
    }
    printf("module version %s\n", getVersion());
    fflush(stdout);
    if (showForm(0, 0, 0, 0, 0, 0, 0, connection) != QELVOR_OK) {
        fprintf(stderr, "cannot show the browse window: %s\n", QelvorLastError());
        QelvorCloseConnection(connection);
        return 1;
    }
    QelvorCloseConnection(connection);
    printf("browse window closed\n");
    return 0;
}
