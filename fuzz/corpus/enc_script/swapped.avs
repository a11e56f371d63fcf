DirectShowSource("/m/a.rm", convertfps=false, fps=15)
