DirectShowSource("""/m/a "", b"" c.rm""", fps=29.9700898503294, convertfps=true)
