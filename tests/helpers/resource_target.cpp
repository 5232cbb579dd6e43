// A program that only carries resources: the tests copy it and rewrite its resources.
int main() { return 0; }
