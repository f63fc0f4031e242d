#include "waveview/ListenDialog.h"

bool OpenListenDialog(int, float) {
    return false;
}
