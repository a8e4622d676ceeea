#include <cstdio>

int main()
{
    std::puts("reelvane");
    return 0;
}
