#include "reelvane/frame/application.h"

int main(int argc, char** argv)
{
    return reelvane::RunApplication(argc, argv);
}
