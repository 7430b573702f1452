// Linked with one of the program's layers whole, and with nothing but the layers before it: that
// the link succeeds is the check. There is nothing to run.
int main() {
  return 0;
}
