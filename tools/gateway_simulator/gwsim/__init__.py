"""Local stand-in for the SMS gateway: its HTTPS form interface, scripted
faults for tests and a control interface. Loopback only."""
