// The process only hands over to the toolkit runtime, which calls Entry once.
#include "core/startup.h"
#include "toolkit/toolkit.h"

int main(int argc, char** argv) {
    return XxxMain(argc, argv, quorvanta::Entry);
}
