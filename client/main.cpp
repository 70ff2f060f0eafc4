/** @file The client's entry point. */
int main()
{
    return 0;
}
