#include "reelvane/cli/command_line.h"
#include "reelvane/frame/application.h"

int main(int argc, char** argv)
{
    if (int code = reelvane::RunCommandLine(argc, argv); code >= 0)
        return code;
    return reelvane::RunApplication(argc, argv);
}
