// A stand-in for an installed deliverable of some other version: only its
// version resource matters. Run, it stays until its standard input closes, so
// a test can keep an image of it running for as long as it needs.
#include <cstdio>

int main() {
  while (std::fgetc(stdin) != EOF) {
  }
  return 0;
}
