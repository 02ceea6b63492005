/* A local server that accepts connections and never answers: the kernel completes
 * each handshake from the listen backlog and nothing is ever read or written.
 * Prints its port, then waits until killed. Usage: blackhole */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdio.h>
#include <sys/socket.h>
#include <unistd.h>

int main(void)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    struct sockaddr_in addr = {0};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || bind(fd, (struct sockaddr*)&addr, sizeof addr) != 0 || listen(fd, 128) != 0 ||
        getsockname(fd, (struct sockaddr*)&addr, &len) != 0) {
        perror("blackhole");
        return 1;
    }
    printf("%d\n", ntohs(addr.sin_port));
    fflush(stdout);
    for (;;)
        pause();
}
