DirectShowSource("/m/a.rm", fps=0.00001, convertfps=true)
