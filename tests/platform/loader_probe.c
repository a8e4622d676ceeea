int probe_add(int a, int b)
{
    return a + b;
}
#ifdef WITH_SECOND_EXPORT
int probe_twice(int a)
{
    return 2 * a;
}
#endif
